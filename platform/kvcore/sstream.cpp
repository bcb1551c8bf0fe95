#include "kvcore/sstream.h"

#include <cstring>

#include "kvcore/sblob.h"

// ---- binary input -----------------------------------------------------------

void SInputBinaryStream::ReadExact(void* buffer, std::size_t count, const char* function, int line) {
  std::size_t done = 0;
  BYTE* p = static_cast<BYTE*>(buffer);
  while (done < count) {
    std::size_t got = m_in.Read(p + done, count - done);
    if (got == 0) throw SEEOFException(function, KV_SSTREAM_FILE, line);
    done += got;
  }
}

namespace {
template <class T>
T ReadLE(SInputBinaryStream& s, const char* function, int line) {
  BYTE b[sizeof(T)];
  s.ReadExact(b, sizeof b, function, line);
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) v |= static_cast<std::uint64_t>(b[i]) << (8 * i);
  T out;
  if constexpr (sizeof(T) == 8) {
    std::memcpy(&out, &v, 8);
  } else {
    using U = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::conditional_t<sizeof(T) == 2, std::uint16_t, std::uint8_t>>;
    U u = static_cast<U>(v);
    std::memcpy(&out, &u, sizeof(T));
  }
  return out;
}
template <class T>
void WriteLE(SOutputStream& s, T value) {
  std::uint64_t v = 0;
  std::memcpy(&v, &value, sizeof(T));
  BYTE b[sizeof(T)];
  for (std::size_t i = 0; i < sizeof(T); ++i) b[i] = static_cast<BYTE>(v >> (8 * i));
  s.Write(b, sizeof b);
}
}  // namespace

SInputBinaryStream& SInputBinaryStream::operator>>(BYTE& v) {
  v = ReadLE<BYTE>(*this, KV_SSTREAM_FN_BYTE, KV_SSTREAM_LINE_BYTE);
  return *this;
}
SInputBinaryStream& SInputBinaryStream::operator>>(char& v) {
  v = static_cast<char>(ReadLE<BYTE>(*this, KV_SSTREAM_FN_BYTE, KV_SSTREAM_LINE_BYTE));
  return *this;
}
SInputBinaryStream& SInputBinaryStream::operator>>(bool& v) {
  v = ReadLE<BYTE>(*this, KV_SSTREAM_FN_BYTE, KV_SSTREAM_LINE_BYTE) != 0;
  return *this;
}
SInputBinaryStream& SInputBinaryStream::operator>>(SHORT& v) {
  v = ReadLE<SHORT>(*this, "class SInputBinaryStream &__thiscall SInputBinaryStream::operator >>(short &)", 1219);
  return *this;
}
SInputBinaryStream& SInputBinaryStream::operator>>(WORD& v) {
  v = ReadLE<WORD>(*this, "class SInputBinaryStream &__thiscall SInputBinaryStream::operator >>(unsigned short &)",
                   1219);
  return *this;
}
SInputBinaryStream& SInputBinaryStream::operator>>(LONG& v) {
  v = ReadLE<LONG>(*this, KV_SSTREAM_FN_LONG, KV_SSTREAM_LINE_LONG);
  return *this;
}
SInputBinaryStream& SInputBinaryStream::operator>>(DWORD& v) {
  v = ReadLE<DWORD>(*this, KV_SSTREAM_FN_ULONG, KV_SSTREAM_LINE_ULONG);
  return *this;
}
SInputBinaryStream& SInputBinaryStream::operator>>(LONGLONG& v) {
  v = ReadLE<LONGLONG>(*this, "class SInputBinaryStream &__thiscall SInputBinaryStream::operator >>(__int64 &)", 1222);
  return *this;
}
SInputBinaryStream& SInputBinaryStream::operator>>(double& v) {
  v = ReadLE<double>(*this, "class SInputBinaryStream &__thiscall SInputBinaryStream::operator >>(double &)", 1223);
  return *this;
}

// ---- binary output ----------------------------------------------------------

SOutputBinaryStream& SOutputBinaryStream::operator<<(BYTE v) {
  WriteLE(*this, v);
  return *this;
}
SOutputBinaryStream& SOutputBinaryStream::operator<<(char v) {
  WriteLE(*this, static_cast<BYTE>(v));
  return *this;
}
SOutputBinaryStream& SOutputBinaryStream::operator<<(bool v) {
  WriteLE(*this, static_cast<BYTE>(v ? 1 : 0));
  return *this;
}
SOutputBinaryStream& SOutputBinaryStream::operator<<(SHORT v) {
  WriteLE(*this, v);
  return *this;
}
SOutputBinaryStream& SOutputBinaryStream::operator<<(WORD v) {
  WriteLE(*this, v);
  return *this;
}
SOutputBinaryStream& SOutputBinaryStream::operator<<(LONG v) {
  WriteLE(*this, v);
  return *this;
}
SOutputBinaryStream& SOutputBinaryStream::operator<<(DWORD v) {
  WriteLE(*this, v);
  return *this;
}
SOutputBinaryStream& SOutputBinaryStream::operator<<(LONGLONG v) {
  WriteLE(*this, v);
  return *this;
}
SOutputBinaryStream& SOutputBinaryStream::operator<<(double v) {
  WriteLE(*this, v);
  return *this;
}

// ---- memory -----------------------------------------------------------------

std::size_t SInputBuffer::Read(void* buffer, std::size_t count) {
  const std::size_t n = std::min(count, m_size - m_pos);
  if (n) std::memcpy(buffer, m_data + m_pos, n);
  m_pos += n;
  return n;
}

bool SInputBuffer::SetPosition(std::size_t position) {
  if (position > m_size) return false;
  m_pos = position;
  return true;
}

SInputGlobal::SInputGlobal(const void* data, std::size_t size) {
  if (data && size) m_bytes.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
  Attach();
}
SInputGlobal::SInputGlobal(std::vector<BYTE> bytes) : m_bytes(std::move(bytes)) { Attach(); }
SInputGlobal::SInputGlobal(const SBlob& blob) : m_bytes(blob.GetBytes()) { Attach(); }

void SInputGlobal::Attach() {
  m_data = m_bytes.data();
  m_size = m_bytes.size();
  m_pos = 0;
}

void SOutputGlobal::Write(const void* data, std::size_t count) {
  if (!count) return;
  const BYTE* p = static_cast<const BYTE*>(data);
  m_bytes.insert(m_bytes.end(), p, p + count);
}

SBlob SOutputGlobal::GetBlob() const { return SBlob(m_bytes); }

// ---- files ------------------------------------------------------------------

std::string KvNativePath(const SString& path) {
  std::string p = path.ToUtf8();
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

SOutputFile::SOutputFile(const SString& path, int mode) {
  m_file = std::fopen(KvNativePath(path).c_str(), mode == 2 ? "ab" : "wb");
  if (!m_file) throw SEIOException(SString("Cannot open file ") + path, __PRETTY_FUNCTION__, __FILE__, __LINE__);
}

SOutputFile::~SOutputFile() { Close(); }

void SOutputFile::Write(const void* data, std::size_t count) {
  if (!count) return;
  if (!m_file || std::fwrite(data, 1, count, m_file) != count)
    throw SEIOException(SString("Cannot write file"), __PRETTY_FUNCTION__, __FILE__, __LINE__);
}

void SOutputFile::Flush() {
  if (m_file) std::fflush(m_file);
}

void SOutputFile::Close() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
}

namespace {
std::vector<BYTE> ReadWholeFile(const SString& path) {
  std::FILE* f = std::fopen(KvNativePath(path).c_str(), "rb");
  if (!f) throw SEIOException(SString("Cannot open file ") + path, __PRETTY_FUNCTION__, __FILE__, __LINE__);
  std::vector<BYTE> bytes;
  BYTE buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  const bool bad = std::ferror(f) != 0;
  std::fclose(f);
  if (bad) throw SEIOException(SString("Cannot read file ") + path, __PRETTY_FUNCTION__, __FILE__, __LINE__);
  return bytes;
}
}  // namespace

SInputFile::SInputFile(const SString& path) : SInputGlobal(ReadWholeFile(path)) {}

// ---- text -------------------------------------------------------------------

void SOutputStringStream::WriteString(const SString& text) {
  m_text += text;
  if (m_encoding == EncodingUtf16) {
    std::vector<BYTE> b;
    b.reserve(text.str().size() * 2);
    for (char16_t c : text.str()) {
      b.push_back(static_cast<BYTE>(c & 0xFF));
      b.push_back(static_cast<BYTE>(c >> 8));
    }
    m_out.Write(b.data(), b.size());
  } else {
    std::string u = text.ToUtf8();
    m_out.Write(u.data(), u.size());
  }
}
