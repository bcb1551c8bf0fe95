#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  const char* out = "out";
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--out") == 0) out = argv[i + 1];
  std::printf("symhost: output folder %s\n", out);
  return 0;
}
