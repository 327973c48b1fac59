// The folder beside a video that holds its parts and the joined file while
// the capture runs. Its name carries the owner's process id
// (NAME.parts-PID-XXXXXX), so a later capture to the same output can tell
// the folders of captures that were killed from those of one still running.
#pragma once

#include <filesystem>
#include <string>

class TPartsFolder {
public:
  TPartsFolder() = default;
  TPartsFolder(const TPartsFolder &) = delete;
  TPartsFolder &operator=(const TPartsFolder &) = delete;
  // Makes the folder beside OutPath; false with where and why in Error.
  bool Make(const std::string &OutPath, std::string &Error);
  // Removes the folder with everything in it; false with where and why in
  // Error (the folder is then left where Error says).
  bool Remove(std::string &Error);
  const std::filesystem::path &Path() const { return Folder; }
  // Removes what Remove() has not.
  ~TPartsFolder();

private:
  std::filesystem::path Folder;
};

// Removes the parts folders beside OutPath whose owner no longer runs: left
// by captures that were killed outright. Folders it cannot remove stay.
void RemoveAbandonedPartsFolders(const std::string &OutPath);
