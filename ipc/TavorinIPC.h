// The remote-control channel: one shared block, "TavorinFileMapping", and the registered
// message "WM_MORVANESYS_TAVORIN_IPC". A client writes a command, its parameter or text and
// status 0, then posts the message to the server's window; the server (the main view) runs
// the command on its UI thread and writes the reply text, then the status. Other processes
// write the block at any time, so every field read from it is checked before use, and every
// client wait ends after a time limit. One conversation at a time: two clients talking at
// once overwrite each other's commands.
#pragma once

#include <cstdint>

#include "platform/win32/windef.h"

/// The shared block: 1,024 bytes mapped, the first 788 used, little-endian 32-bit integers.
struct TavorinIpcBlock {
  int32_t command;        // client: 1..22
  int32_t parameter;      // client: integer argument, 0 with a text
  int32_t status;         // client clears to 0; server answers 1..8
  char text[768];         // string argument or reply, NUL-terminated
  uint32_t serverWindow;  // server's view handle; kTavorinNoServer when unknown
  int32_t progress;       // download progress 0..100 of the picture under way
};
static_assert(sizeof(TavorinIpcBlock) == 788, "the block layout is shared with other programs");

inline constexpr const char* kTavorinIpcMappingName = "TavorinFileMapping";
inline constexpr const char* kTavorinIpcMessageName = "WM_MORVANESYS_TAVORIN_IPC";
inline constexpr DWORD kTavorinIpcMappingSize = 1024;
inline constexpr DWORD kTavorinIpcUsedSize = sizeof(TavorinIpcBlock);
inline constexpr uint32_t kTavorinNoServer = 0xFFFF;
inline constexpr int kTavorinIpcMaxText = 767;

// Commands.
enum TavorinIpcCommand {
  kIpcStatus = 1, kIpcRelease, kIpcZoom, kIpcTv, kIpcAv, kIpcSetDirectory, kIpcGetDirectory, kIpcComment,
  kIpcGetModel, kIpcExpMode, kIpcExpComp, kIpcIso, kIpcPrefix, kIpcSizeQuality, kIpcWhiteBalance, kIpcFlash,
  kIpcConnect, kIpcExit, kIpcViewfinder, kIpcAfDistance, kIpcAfLock, kIpcRefocus
};
// Statuses.
enum TavorinIpcStatus {
  kIpcNoAnswer = 0, kIpcNotConnected, kIpcIdle, kIpcReleaseStarted, kIpcSaved, kIpcBusy, kIpcDone, kIpcRefused,
  kIpcConnecting
};

class TavorinIPC {
 public:
  /// Registers the channel's message once per process.
  TavorinIPC();

  /// Maps the shared block on first use; the block stays NULL when that fails.
  void Initialise();

  // Server side.
  /// The command code (0 without a block); stores the parameter when `parameter` is given.
  int readRequest(int* parameter);
  /// The raw text field, or NULL without a block; it may lack a terminator (see requestText).
  const char* requestString();
  /// Copies the text argument with a forced terminator; false when it fills the whole field
  /// (longer than 767 bytes) or there is no block.
  bool requestText(char (&text)[768]);
  void setProgress(int percent);
  /// Writes the text (cut to 767 bytes; emptied when NULL), the server window, then the status
  /// behind a barrier, so a client that sees the status also sees the text. False without a block.
  bool sendReply(HWND server, int status, const char* text);

  // Client side. Each returns 0 when the block, the message or the server is missing, or when
  // no answer came within the time limit.
  int getProgress();
  int getStatus();
  /// Copies the reply text (terminated, at most size-1 bytes); "" without a block.
  void getReplyText(char* buffer, int size);
  /// Finds the server's window and returns its answer to the status command.
  int findServer(DWORD timeoutMs);
  /// Sends a command with an integer and waits for the first status.
  int sendCommand(int command, int parameter, DWORD timeoutMs);
  /// Sends a command with a text; refused locally (7) when the text exceeds 767 bytes.
  int sendCommandString(int command, const char* text, DWORD timeoutMs);
  /// Waits until the status differs from `current`; returns the new status, `current` on time-out.
  int waitStatusChange(int current, DWORD timeoutMs);
  /// The enumeration callback that collects windows whose title begins with "Tavorin".
  static BOOL CALLBACK collectServerWindow(HWND hWnd, LPARAM list);

  static UINT s_nMessage;

 private:
  int post(DWORD timeoutMs);
  void flush();

  TavorinIpcBlock* m_pBlock = nullptr;
};
