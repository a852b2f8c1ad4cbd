// Test helper: writes each argument after the first on its own line into the file named by
// the first, then exits with the code in $ARGVDUMP_EXIT (0 when unset).
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 2) return 100;
  FILE* out = std::fopen(argv[1], "wb");
  if (!out) return 101;
  for (int i = 2; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
  std::fclose(out);
  const char* code = std::getenv("ARGVDUMP_EXIT");
  return code ? std::atoi(code) : 0;
}
