#include "hostsim/desktop.h"

#include <fstream>
#include <utility>

namespace hostsim {

namespace {

constexpr DWORD kWaitMs = 60000;

std::string BesideThisProgram(const char* name) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  folder.erase(folder.find_last_of("\\/") + 1);
  return folder + name;
}

void SendKey(BYTE key, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

}  // namespace

OtherProgram::OtherProgram(std::string keys_file, bool mail_client)
    : keys_file_(std::move(keys_file)) {
  std::string command = "\"";
  command.append(BesideThisProgram("hostsim_other.exe")).append("\" \"");
  command.append(keys_file_).append("\"");
  if (mail_client) command.append(" --mail-client");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info))
    return;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  process_id_ = info.dwProcessId;
  const ULONGLONG end = GetTickCount64() + kWaitMs;
  while (GetTickCount64() < end && WaitForSingleObject(process_, 20) == WAIT_TIMEOUT) {
    HWND front = GetForegroundWindow();
    DWORD owner = 0;
    if (front != nullptr) GetWindowThreadProcessId(front, &owner);
    if (owner == process_id_) {
      window_ = front;
      return;
    }
  }
}

OtherProgram::~OtherProgram() { Close(); }

std::vector<std::string> OtherProgram::Keys() const {
  std::vector<std::string> keys;
  std::ifstream file(keys_file_);
  for (std::string line; std::getline(file, line);) keys.push_back(line);
  return keys;
}

void OtherProgram::Close() {
  if (process_ == nullptr) return;
  if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_, kWaitMs) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
  CloseHandle(process_);
  process_ = nullptr;
}

void HoldKeyDown(BYTE key) { SendKey(key, 0); }
void LetKeyUp(BYTE key) { SendKey(key, KEYEVENTF_KEYUP); }

}  // namespace hostsim
