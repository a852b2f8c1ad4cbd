// Feeds arbitrary bytes as the remote-control block another process wrote: the server's and the
// client's readers of every field.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ipc/MappedFile.h"
#include "ipc/TavorinIPC.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A private station of our own for the block.
  static std::string runtime = "/tmp/tavorin-fuzz-ipc-" + std::to_string(getpid());
  mkdir(runtime.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MappedFile mapping;
  static TavorinIpcBlock* block = mapping.GetMappedView();
  if (!block) std::abort();
  std::memset(block, 0, sizeof *block);
  std::memcpy(block, data, size < sizeof *block ? size : sizeof *block);
  TavorinIPC server;
  int parameter = 0;
  int command = server.readRequest(&parameter);
  char text[768];
  bool fits = server.requestText(text);
  if (fits && std::strlen(text) >= sizeof text) std::abort();
  (void)command;
  TavorinIPC client;
  char reply[300];
  client.getReplyText(reply, sizeof reply);
  if (std::strlen(reply) >= sizeof reply) std::abort();
  client.getStatus();
  client.getProgress();
  return 0;
}
