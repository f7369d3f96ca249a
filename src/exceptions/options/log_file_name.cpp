#include "exceptions/options/log_file_name.h"

#include "framework/object.h"

namespace {
std::string_view fileNameOf(std::string_view path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view folderOf(std::string_view path) {  // with its trailing "\"
  size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string withoutExtension(std::string_view name) {
  size_t dot = name.find_last_of('.');
  return std::string(dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot));
}

bool endsWithQlf(std::string_view s) { return s.size() >= 4 && SameText(s.substr(s.size() - 4), ".qlf"); }

bool isAbsolute(std::string_view p) {
  return (p.size() >= 2 && p[1] == ':') || (!p.empty() && (p[0] == '\\' || p[0] == '/'));
}

// Inserts "_<computer>" before the extension of the file name at the end of path.
std::string withComputerName(std::string path, const TLogNameInputs& in) {
  if (!in.computerNameInName) return path;
  std::string suffix(1, '_');
  suffix += CleanComputerName(in.computerName);
  size_t nameStart = path.size() - fileNameOf(path).size();
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot <= nameStart) return path + suffix;
  return path.insert(dot, suffix);
}

std::string logBaseName(const TLogNameInputs& in) { return withoutExtension(fileNameOf(in.modulePath)) + ".qlf"; }
}  // namespace

std::string CleanComputerName(std::string_view name) {
  std::string out(name.substr(0, 15));
  for (char& c : out) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127 || std::string_view("\\/:*?\"<>|&").find(c) != std::string_view::npos) c = '_';
  }
  return out;
}

std::string PreferredLogFileName(const TLogNameInputs& in) {
  std::string moduleFolder(folderOf(in.modulePath));
  std::string loc = in.logLocation;
  // A relative location means relative to the program's folder, not to whatever folder the
  // program happened to be started from.
  if (!loc.empty() && !isAbsolute(loc)) loc = moduleFolder + loc;
  std::string full;
  if (in.logLocation.empty()) {
    full = moduleFolder + logBaseName(in);
  } else if (endsWithQlf(loc)) {
    full = loc;
  } else {
    if (loc.back() != '\\' && loc.back() != '/') loc += '\\';
    full = loc + logBaseName(in);
  }
  return withComputerName(std::move(full), in);
}

std::string ProfileLogFileName(const TLogNameInputs& in) {
  std::string profile = in.userProfile.empty() ? std::string("\\") : in.userProfile;
  if (profile.back() == '\\' || profile.back() == '/') profile.pop_back();
  std::string program = withoutExtension(fileNameOf(in.modulePath));
  std::string preferred = PreferredLogFileName(in);
  return profile + "\\QuillonLog\\" + program + "\\" + std::string(fileNameOf(preferred));
}

std::string QuillonLogFileName(const TLogNameInputs& in, TLogFolderAccess& access) {
  std::string preferred = PreferredLogFileName(in);
  if (access.CanWriteFile(preferred)) return preferred;
  std::string fallback = ProfileLogFileName(in);
  if (access.ForceFolders(std::string(folderOf(fallback))) && access.CanWriteFile(fallback)) return fallback;
  return std::string();
}
