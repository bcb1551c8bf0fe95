// Loading and unloading the diagram library at run time, as the host does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/snotify.h"
#include "kvrep/sreptypelib.h"
#include "win/winloader.h"
#include "win/winres.h"

namespace {
std::vector<std::string> g_steps;
void Observe(const char* step) { g_steps.push_back(step); }

using SetUnloadHookFn = void (*)(void (*)(const char*), int);

// The notifications 34 to 37 sent since the log was cleared.
std::vector<SNotificationRecord> FrameNotifications() {
  std::vector<SNotificationRecord> out;
  for (const SNotificationRecord& r : SNotificationManager::Log())
    if (r.code >= 34 && r.code <= 37) out.push_back(r);
  return out;
}

std::vector<SNotificationRecord> Expected(HMODULE h) {
  return {{34, h, 0}, {35, h, 0}, {36, h, 0}, {37, h, 0}};
}

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SNotificationManager::ClearLog();
    SExceptionDialog::SetQuiet(true);
    SExceptionDialog::ClearLog();
    g_steps.clear();
  }
};
}  // namespace

TEST_F(LoaderTest, LoadAndUnloadSendFrameNotificationsInOrderEveryTime) {
  for (int round = 0; round < 3; ++round) {
    SNotificationManager::ClearLog();
    HMODULE h = LoadLibraryW(u"kvsym16.dll");
    ASSERT_NE(h, nullptr) << KvLastLoadError();
    EXPECT_EQ(GetModuleHandleW(u"KVSYM16.DLL"), h);
    EXPECT_TRUE(KvThreadLibraryCallsDisabled(h));
    // The first two notifications arrive during the load, in order.
    std::vector<SNotificationRecord> loaded = FrameNotifications();
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0], (SNotificationRecord{34, h, 0}));
    EXPECT_EQ(loaded[1], (SNotificationRecord{35, h, 0}));

    ASSERT_TRUE(FreeLibrary(h));
    EXPECT_EQ(FrameNotifications(), Expected(h));
    // Really gone: a later load runs the start-up work again.
    EXPECT_EQ(GetModuleHandleW(u"kvsym16.dll"), nullptr);
    EXPECT_EQ(KvResourceCount(h), 0);
  }
  EXPECT_TRUE(SExceptionDialog::Log().empty());
}

// Without a type-library manager the library loads and unloads as usual.
TEST_F(LoaderTest, LoadsWithoutTypeLibManager) {
  SRepEnableTypeLibManager(false);
  ASSERT_EQ(GetTypeLibManager(), nullptr);
  HMODULE h = LoadLibraryW(u"kvsym16.dll");
  ASSERT_NE(h, nullptr) << KvLastLoadError();
  ASSERT_TRUE(FreeLibrary(h));
  SRepEnableTypeLibManager(true);
  EXPECT_EQ(FrameNotifications(), Expected(h));
  EXPECT_TRUE(SExceptionDialog::Log().empty());
}

TEST_F(LoaderTest, AttachRegistersTheMetamodelWithTheTypeLibManager) {
  SRepEnableTypeLibManager(true);
  ISRepTypeLibManager* manager = GetTypeLibManager();
  ASSERT_NE(manager, nullptr);
  manager->Clear();
  HMODULE h = LoadLibraryW(u"kvsym16.dll");
  ASSERT_NE(h, nullptr) << KvLastLoadError();
  ASSERT_EQ(manager->GetCount(), 1);
  const SRepTypeLib* lib = manager->GetAt(0);
  ASSERT_NE(lib, nullptr);
  EXPECT_EQ(lib->id, 1000u);
  EXPECT_EQ(lib->lang, 0u);
  EXPECT_EQ(lib->type, u"METADATA");
  EXPECT_EQ(lib->moduleCode, "Sym");
  EXPECT_EQ(lib->classCount, 33u);
  HRSRC res = FindResourceW(h, MAKEINTRESOURCEW(1000), u"METADATA");
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(lib->bytes.size(), SizeofResource(h, res));
  ASSERT_TRUE(FreeLibrary(h));
  manager->Clear();
}

TEST_F(LoaderTest, MetadataResourceIsRegisteredWhileLoaded) {
  HMODULE h = LoadLibraryW(u"kvsym16.dll");
  ASSERT_NE(h, nullptr) << KvLastLoadError();
  HRSRC res = FindResourceW(h, MAKEINTRESOURCEW(1000), u"METADATA");
  ASSERT_NE(res, nullptr);
  EXPECT_GT(SizeofResource(h, res), 4u);
  const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(h, res)));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), 4), "!S)V");
  EXPECT_EQ(FindResourceW(h, MAKEINTRESOURCEW(1001), u"METADATA"), nullptr);
  ASSERT_TRUE(FreeLibrary(h));
  EXPECT_EQ(FindResourceW(h, MAKEINTRESOURCEW(1000), u"METADATA"), nullptr);
}

TEST_F(LoaderTest, UnloadRunsEveryTerminatorThenTerm) {
  HMODULE h = LoadLibraryW(u"kvsym16.dll");
  ASSERT_NE(h, nullptr) << KvLastLoadError();
  auto hook = reinterpret_cast<SetUnloadHookFn>(GetProcAddress(h, "SSymTestSetUnloadHook"));
  ASSERT_NE(hook, nullptr);
  hook(&Observe, -1);
  ASSERT_TRUE(FreeLibrary(h));
  EXPECT_EQ(g_steps, (std::vector<std::string>{"TerminateSymArrow", "TerminatePictureManager", "TerminateSharedDC",
                                               "TerminateSwimSelection", "Term"}));
  EXPECT_TRUE(SExceptionDialog::Log().empty());
}

// A terminator that throws ends the block: the later terminators and Term
// are skipped, "End of Sym DLL" is shown, and the library still unloads.
TEST_F(LoaderTest, ThrowingTerminatorIsShownAndSkipsTheRest) {
  const std::vector<std::string> all = {"TerminateSymArrow", "TerminatePictureManager", "TerminateSharedDC",
                                        "TerminateSwimSelection"};
  for (int slot = 0; slot < 4; ++slot) {
    SCOPED_TRACE(slot);
    SNotificationManager::ClearLog();
    SExceptionDialog::ClearLog();
    g_steps.clear();
    HMODULE h = LoadLibraryW(u"kvsym16.dll");
    ASSERT_NE(h, nullptr) << KvLastLoadError();
    auto hook = reinterpret_cast<SetUnloadHookFn>(GetProcAddress(h, "SSymTestSetUnloadHook"));
    ASSERT_NE(hook, nullptr);
    hook(&Observe, slot);
    ASSERT_TRUE(FreeLibrary(h));

    EXPECT_EQ(g_steps, std::vector<std::string>(all.begin(), all.begin() + slot + 1));
    ASSERT_EQ(SExceptionDialog::Log().size(), 1u);
    const SExceptionDialogEntry& shown = SExceptionDialog::Log()[0];
    EXPECT_EQ(shown.text.ToUtf8(), "End of Sym DLL");
    EXPECT_EQ(shown.function.ToUtf8(), "int __stdcall DllMain(struct HINSTANCE__ *,unsigned long,void *)");
    EXPECT_EQ(shown.file.ToUtf8(), "sym/src/sdsym");
    EXPECT_EQ(shown.line, 178);
    EXPECT_EQ(FrameNotifications(), Expected(h));
    EXPECT_EQ(GetModuleHandleW(u"kvsym16.dll"), nullptr);
  }
}
