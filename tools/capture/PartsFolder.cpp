#include "PartsFolder.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace fs = std::filesystem;

namespace {

std::string Prefix(const std::string &OutPath) {
  return fs::absolute(OutPath).filename().string() + ".parts-";
}

fs::path FolderOf(const std::string &OutPath) { return fs::absolute(OutPath).parent_path(); }

// The owner's process id in a name after the prefix ("1234-aB3xYz"), or 0
// when the name has none (a folder of an older version: left alone).
pid_t OwnerOf(const std::string &Rest) {
  const size_t Dash = Rest.find('-');
  if (Dash == 0 || Dash == std::string::npos || Rest.size() - Dash != 7) return 0;
  for (size_t I = 0; I < Dash; ++I)
    if (Rest[I] < '0' || Rest[I] > '9') return 0;
  const long Pid = std::strtol(Rest.substr(0, Dash).c_str(), nullptr, 10);
  return Pid > 0 && Pid < (1L << 22) ? static_cast<pid_t>(Pid) : 0;
}

// Whether a process with this id exists (one of another user's counts).
bool Running(pid_t Pid) { return kill(Pid, 0) == 0 || errno == EPERM; }

}  // namespace

bool TPartsFolder::Make(const std::string &OutPath, std::string &Error) {
  const fs::path Beside = FolderOf(OutPath);
  std::string Pattern =
      (Beside / (Prefix(OutPath) + std::to_string(getpid()) + "-XXXXXX")).string();
  if (!mkdtemp(&Pattern[0])) {
    Error = "cannot write " + OutPath + ": cannot make its parts folder in " + Beside.string() +
            ": " + std::strerror(errno);
    return false;
  }
  Folder = Pattern;
  return true;
}

bool TPartsFolder::Remove(std::string &Error) {
  if (Folder.empty()) return true;
  std::error_code Failure;
  fs::remove_all(Folder, Failure);
  if (Failure) {
    Error = "cannot remove the parts folder " + Folder.string() + ": " + Failure.message();
    Folder.clear();
    return false;
  }
  Folder.clear();
  return true;
}

TPartsFolder::~TPartsFolder() {
  std::string Ignored;
  Remove(Ignored);
}

void RemoveAbandonedPartsFolders(const std::string &OutPath) {
  const std::string Start = Prefix(OutPath);
  std::error_code Failure;
  for (const fs::directory_entry &Entry : fs::directory_iterator(FolderOf(OutPath), Failure)) {
    const std::string Name = Entry.path().filename().string();
    if (Name.compare(0, Start.size(), Start) != 0) continue;
    const pid_t Owner = OwnerOf(Name.substr(Start.size()));
    struct stat Info {};
    // Only real folders of this user whose capture is gone.
    if (Owner == 0 || Owner == getpid() || Running(Owner) ||
        lstat(Entry.path().c_str(), &Info) != 0 || !S_ISDIR(Info.st_mode) ||
        Info.st_uid != getuid())
      continue;
    std::error_code Ignored;
    fs::remove_all(Entry.path(), Ignored);
  }
}
