#include "PrivateSoundServer.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

namespace {

// A PipeWire session's servers under a private D-Bus session; the script
// notes their process ids, the daemon's first, so the test can stop and end
// them (dbus-run-session ends when they have).
const char *PipeWireSession =
    "pipewire & echo $! >> \"$1\"; wireplumber & echo $! >> \"$1\"; "
    "pipewire-pulse & echo $! >> \"$1\"; wait";
const char *PipeWireAlone =
    "pipewire & echo $! >> \"$1\"; pipewire-pulse & echo $! >> \"$1\"; wait";

bool Installed(const std::string &Program) {
  return std::system(("command -v " + Program + " >/dev/null").c_str()) == 0;
}

bool Answers(const std::string &Command) {
  return std::system((Command + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

std::string TPrivateSoundServer::MissingTool(TSoundServerKind Kind) {
  std::vector<std::string> Tools = {"pactl"};
  if (Kind == TSoundServerKind::PulseAudio) Tools.push_back("pulseaudio");
  if (Kind != TSoundServerKind::PulseAudio)
    Tools.insert(Tools.end(), {"pipewire", "dbus-run-session"});
  if (Kind != TSoundServerKind::PulseAudio) Tools.push_back("pipewire-pulse");
  if (Kind == TSoundServerKind::PipeWire) Tools.push_back("wireplumber");
  for (const std::string &Tool : Tools)
    if (!Installed(Tool)) return Tool;
  return "";
}

TPrivateSoundServer::TPrivateSoundServer(TSoundServerKind ServerKind, const std::string &Folder)
    : Kind(ServerKind),
      Runtime(Folder + "/run"),
      Home(Folder),
      PidFile(Folder + "/server.pids"),
      LogFile(Folder + "/server.out") {
  mkdir(Runtime.c_str(), 0700);
  std::remove(PidFile.c_str());  // a server started before in the same folder
  Socket = Kind == TSoundServerKind::PulseAudio ? Runtime + "/native" : Runtime + "/pulse/native";
  if (Kind == TSoundServerKind::PulseAudio) {
    Server = std::make_unique<TChild>(
        std::vector<std::string>{
            "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--log-target=stderr",
            "-L", "module-null-sink sink_name=quillmoor", "-L",
            "module-native-protocol-unix socket=" + Socket + " auth-anonymous=1"},
        Environment(), LogFile);
  } else {
    const char *Script = Kind == TSoundServerKind::PipeWire ? PipeWireSession : PipeWireAlone;
    Server = std::make_unique<TChild>(
        std::vector<std::string>{"dbus-run-session", "--", "sh", "-c", Script, "sh", PidFile},
        Environment(), LogFile);
  }
}

TPrivateSoundServer::~TPrivateSoundServer() {
  Thaw();
  for (int Pid : Pids()) kill(Pid, SIGTERM);
  Server->Stop();
}

std::vector<int> TPrivateSoundServer::Pids() const {
  std::vector<int> Found;
  if (Kind == TSoundServerKind::PulseAudio) {
    if (Server->Pid() > 0) Found.push_back(Server->Pid());
    return Found;
  }
  std::ifstream File(PidFile);
  for (int Pid = 0; File >> Pid;) Found.push_back(Pid);
  return Found;
}

std::vector<std::string> TPrivateSoundServer::Environment() const {
  return {"XDG_RUNTIME_DIR=" + Runtime, "HOME=" + Home, "PULSE_SERVER=unix:" + Socket};
}

std::string TPrivateSoundServer::Pactl() const {
  return "XDG_RUNTIME_DIR=" + Runtime + " HOME=" + Home + " PULSE_SERVER=unix:" + Socket +
         " timeout 10 pactl";
}

bool TPrivateSoundServer::WaitUntilUp(int Seconds, std::string &Why) {
  const auto IsUp = [this] { return Answers(Pactl() + " info"); };
  const auto By = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
  bool Up = false;
  while (!(Up = IsUp()) && std::chrono::steady_clock::now() < By)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  if (!Up) {
    Why = "the sound server did not start: " + Output("cat " + LogFile + ".log");
    return false;
  }
  if (Kind == TSoundServerKind::PipeWire &&
      !(Answers(Pactl() + " load-module module-null-sink sink_name=quillmoor") &&
        Answers(Pactl() + " set-default-sink quillmoor"))) {
    Why = "no null sink on the PipeWire server";
    return false;
  }
  return true;
}

void TPrivateSoundServer::Freeze() {
  const std::vector<int> Found = Pids();
  if (Found.empty()) return;
  kill(Found.front(), SIGSTOP);
  Frozen = true;
}

void TPrivateSoundServer::Thaw() {
  if (!Frozen) return;
  kill(Pids().front(), SIGCONT);
  Frozen = false;
}

TSilentSocket::TSilentSocket(const std::string &Path) {
  sockaddr_un Address{};
  Address.sun_family = AF_UNIX;
  if (Path.size() >= sizeof(Address.sun_path)) return;
  std::strcpy(Address.sun_path, Path.c_str());
  Descriptor = socket(AF_UNIX, SOCK_STREAM, 0);
  if (Descriptor < 0) return;
  if (bind(Descriptor, reinterpret_cast<sockaddr *>(&Address), sizeof(Address)) != 0 ||
      listen(Descriptor, 64) != 0) {
    close(Descriptor);
    Descriptor = -1;
  }
}

TSilentSocket::~TSilentSocket() {
  if (Descriptor >= 0) close(Descriptor);
}
