// A private sound server for the end-to-end runs: PulseAudio with a null
// sink, or a PipeWire session under its own D-Bus (with or without its
// session manager), each in a scratch runtime folder so that it meets no
// other server on the machine. Also a socket that takes connections and
// never answers. Everything it starts ends with it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DemoProcess.h"

enum class TSoundServerKind {
  PulseAudio,
  PipeWire,                       // pipewire, wireplumber and pipewire-pulse, a null sink
  PipeWireWithoutSessionManager,  // pipewire and pipewire-pulse: nothing links a stream to a sink
};

class TPrivateSoundServer {
public:
  // Starts the server with its files under Folder.
  TPrivateSoundServer(TSoundServerKind Kind, const std::string &Folder);
  ~TPrivateSoundServer();
  TPrivateSoundServer(const TPrivateSoundServer &) = delete;
  TPrivateSoundServer &operator=(const TPrivateSoundServer &) = delete;

  // The programs the server needs, or "" when all are installed.
  static std::string MissingTool(TSoundServerKind Kind);
  // Waits until the server answers (and has its null sink). False, with
  // the server's log in Why, when it did not within Seconds.
  bool WaitUntilUp(int Seconds, std::string &Why);
  // What a client needs to reach it.
  std::vector<std::string> Environment() const;
  // A pactl command line aimed at it.
  std::string Pactl() const;
  // Stops (SIGSTOP) or continues the server's main process.
  void Freeze();
  void Thaw();

private:
  std::vector<int> Pids() const;

  TSoundServerKind Kind;
  std::string Runtime, Home, Socket, PidFile, LogFile;
  std::unique_ptr<TChild> Server;
  bool Frozen = false;
};

// A Unix socket that takes every connection (the kernel completes them
// against its backlog) and never says a word: a sound server that hangs.
class TSilentSocket {
public:
  explicit TSilentSocket(const std::string &Path);
  ~TSilentSocket();
  TSilentSocket(const TSilentSocket &) = delete;
  TSilentSocket &operator=(const TSilentSocket &) = delete;
  bool Listening() const { return Descriptor >= 0; }

private:
  int Descriptor = -1;
};
