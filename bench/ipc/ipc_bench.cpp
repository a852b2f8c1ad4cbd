// Times the round trip of one remote-control status command against a running tavorin (on
// a private desktop: temporary home, registry and window station, offscreen), beside the
// floor of any cross-process request and reply: one byte each way over a socket pair with a
// forked child. Usage: ipc_bench [round trips per repetition] [repetitions]
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench/common/BenchDesktop.h"
#include "ipc/TavorinIPC.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
  double median = 0, p90 = 0, best = 0;
};

/// Round trips in microseconds; `trip` returns false on a failed one, which ends the run.
bool Measure(int count, const std::function<bool()>& trip, std::vector<double>& out) {
  out.clear();
  out.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    auto start = Clock::now();
    if (!trip()) return false;
    out.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  return true;
}

Figures Summarise(std::vector<double> samples) {
  Figures f;
  if (samples.empty()) return f;
  std::sort(samples.begin(), samples.end());
  f.median = samples[samples.size() / 2];
  f.p90 = samples[samples.size() * 9 / 10];
  f.best = samples.front();
  return f;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

/// The reference: a forked child that answers every byte with a byte.
class PingPong {
 public:
  bool Start() {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return false;
    m_child = fork();
    if (m_child < 0) return false;
    if (m_child == 0) {
      close(fds[0]);
      char byte;
      while (read(fds[1], &byte, 1) == 1)
        if (write(fds[1], &byte, 1) != 1) break;
      _exit(0);
    }
    close(fds[1]);
    m_fd = fds[0];
    return true;
  }
  bool Trip() {
    char byte = 'p';
    return write(m_fd, &byte, 1) == 1 && read(m_fd, &byte, 1) == 1;
  }
  ~PingPong() {
    if (m_fd >= 0) close(m_fd);
    if (m_child > 0) waitpid(m_child, nullptr, 0);
  }

 private:
  int m_fd = -1;
  pid_t m_child = -1;
};

/// The program on a private desktop (see BenchDesktop), and when it is ready.
class Desktop : public BenchDesktop {
 public:
  /// Waits (bounded) until the program answers and its camera connection is done. A status
  /// asked while it was still starting may be answered late, in place of a later one, so it
  /// must then answer idle many times in a row.
  bool WaitUntilIdle(TavorinIPC& client, int seconds) {
    auto limit = Clock::now() + std::chrono::seconds(seconds);
    int inARow = 0;
    while (Clock::now() < limit && inARow < 100) {
      if (client.findServer(2000) == kIpcIdle) {
        ++inARow;
      } else {
        inARow = 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    }
    return inARow >= 100;
  }
};

void Row(const char* road, const Figures& f, double reference) {
  std::printf("| %s | %.1f | %.1f | %.1f | %.1f |\n", road, f.median, f.p90, f.best, reference > 0 ? f.median / reference : 0);
}

}  // namespace

int main(int argc, char** argv) {
  int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

  PingPong pingPong;
  if (!pingPong.Start()) {
    std::fprintf(stderr, "ipc_bench: cannot start the ping-pong child\n");
    return 1;
  }
  Desktop desktop;
  if (!desktop.Start("TAVORIN_CAMERA_SIM=default")) {
    std::fprintf(stderr, "ipc_bench: cannot start %s\n", TAVORIN_PROGRAM_PATH);
    return 1;
  }
  TavorinIPC client;
  if (!desktop.WaitUntilIdle(client, 120)) {
    std::fprintf(stderr, "ipc_bench: the program did not answer with a connected, idle camera\n");
    return 1;
  }

  // Warm both roads up, then alternate them so both see the same machine load.
  int answer = kIpcIdle;
  auto statusTrip = [&] { return (answer = client.sendCommand(kIpcStatus, 0, 5000)) == kIpcIdle; };
  // Diagnostic: the same command sent synchronously (the find path), which waits for the
  // handler itself instead of polling the status word.
  auto sentTrip = [&] { return (answer = client.findServer(5000)) == kIpcIdle; };
  std::vector<double> samples, status, reference, sent, statusMedians, referenceMedians;
  bool answered = Measure(count / 10 + 1, statusTrip, samples);
  Measure(count / 10 + 1, [&] { return pingPong.Trip(); }, samples);
  for (int r = 0; r < repetitions && answered; ++r) {
    if (!(answered = Measure(count, statusTrip, samples))) break;
    statusMedians.push_back(Summarise(samples).median);
    status.insert(status.end(), samples.begin(), samples.end());
    if (!Measure(count, [&] { return pingPong.Trip(); }, samples)) {
      std::fprintf(stderr, "ipc_bench: the ping-pong child stopped answering\n");
      return 1;
    }
    referenceMedians.push_back(Summarise(samples).median);
    reference.insert(reference.end(), samples.begin(), samples.end());
    if (!(answered = Measure(count, sentTrip, samples))) break;
    sent.insert(sent.end(), samples.begin(), samples.end());
  }
  if (!answered) {
    std::fprintf(stderr, "ipc_bench: a status command was answered with %d, not %d (idle)\n", answer, int(kIpcIdle));
    return 1;
  }

  Figures ours = Summarise(status), floor = Summarise(reference);
  std::printf("ipc_bench: %d repetitions of %d round trips each, on %u cores\n", repetitions, count,
              std::thread::hardware_concurrency());
  std::printf("median of the repetition medians: status %.1f us, socketpair ping-pong %.1f us\n\n",
              Median(statusMedians), Median(referenceMedians));
  std::printf("| road | median us | p90 us | best us | x ping-pong |\n|---|---|---|---|---|\n");
  Row("status command (1) to tavorin", ours, floor.median);
  Row("socketpair ping-pong, forked child", floor, floor.median);
  Row("status sent synchronously (diagnostic)", Summarise(sent), floor.median);
  return 0;
}
