#include "hostsim/file_dialog.h"

#include <string_view>

namespace hostsim {

namespace {

struct OwnedSearch {
  HWND owner;
  HWND found = nullptr;
};

BOOL CALLBACK MatchOwned(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<OwnedSearch*>(param);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (GetWindow(window, GW_OWNER) != search->owner || std::wstring_view(name) != L"#32770" ||
      !IsWindowVisible(window))
    return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindDialogOwnedBy(HWND owner) {
  OwnedSearch search{owner};
  EnumWindows(&MatchOwned, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool AnswerFileDialog(HWND dialog, const std::wstring& path) {
  // The explorer-style dialogs name the box cmb13 (a combo box, 0x47C), the older ones edt1
  // (0x480).
  HWND box = GetDlgItem(dialog, 0x47C);
  if (box == nullptr) box = GetDlgItem(dialog, 0x480);
  if (box == nullptr) return false;
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  return true;
}

}  // namespace hostsim
