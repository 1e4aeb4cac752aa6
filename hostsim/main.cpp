// hostsim: a stand-in for the mail client. It loads the plug-in DLL the way the host does
// and runs templates through it. Like the mail client, it draws at the monitor's pixels per
// inch itself.
//
//   hostsim [OPTIONS] info              name, version, macro list, %XFaceVersion
//   hostsim [OPTIONS] run TEMPLATE      the expansion of TEMPLATE
//   hostsim [OPTIONS] dialog OUT        opens the configuration dialog, saves it as a BMP
//                                       and cancels it
//   hostsim [OPTIONS] show XFACE OUT [--face FACE]
//                                       shows a message whose "X-Face" header is the text in
//                                       file XFACE (and its "Face" header the text in file
//                                       FACE), as a read-mail filter with %DisplayXFace
//                                       does, and saves the window as a BMP
//   hostsim [OPTIONS] facemaker PICTURE OUT
//                                       opens the face maker from the configuration dialog,
//                                       chooses PICTURE in its open dialog and saves the face
//                                       maker as a BMP
//   hostsim makeface IN OUT.txt [--threshold N] [--invert]
//                                       writes the face of picture IN as X-Face header text,
//                                       what %SetXFace reads from a .txt file: one threshold
//                                       at grey N (0 to 255) where given, else the automatic
//                                       choice; --invert for the negative
//
// OPTIONS: --dll PATH, the plug-in; --dpi N, the pixels per inch the windows must get. Under
// Wine, hostsim sets the prefix's setting for the time it runs again as a new process (a
// process reads it as it starts), and where Wine gives windows aware of each monitor another
// number than the system's (Wine 10 gives them 96), its windows take the system's instead;
// on Windows it only checks that the windows get N.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "base/file_read.h"
#include "cfgdlg/face_maker.h"
#include "cfgdlg/face_maker_model.h"
#include "cfgdlg/options_dialog.h"
#include "face/picture_decoder.h"
#include "hostsim/dpi.h"
#include "hostsim/file_dialog.h"
#include "hostsim/host_windows.h"
#include "hostsim/plugin_module.h"
#include "hostsim/screenshot.h"
#include "hostsim/template_runner.h"

namespace {

int Usage() {
  std::fputs(
      "usage: hostsim [--dll PATH] [--dpi N] info | run TEMPLATE | dialog OUT.bmp | show "
      "XFACE_FILE OUT.bmp [--face FACE_FILE] | facemaker PICTURE OUT.bmp\n"
      "       hostsim makeface IN OUT.txt [--threshold N] [--invert]\n",
      stderr);
  return 2;
}

void PrintInfo(const hostsim::PluginModule& plugin) {
  using hostsim::PluginModule;
  std::printf("Name:    %s\n", PluginModule::ReadText(plugin.GetName).c_str());
  std::printf("Version: %s\n", PluginModule::ReadText(plugin.GetVersion).c_str());
  std::printf("Macros:\n");
  const std::string list = PluginModule::ReadText(plugin.GetMacroList);
  for (std::size_t start = 0; start < list.size();) {
    std::size_t end = list.find("\r\n", start);
    if (end == std::string::npos) end = list.size();
    std::printf("  %s\n", list.substr(start, end - start).c_str());
    start = end + 2;
  }
  hostsim::HostState host;
  std::printf("%%XFaceVersion -> %s\n",
              hostsim::RunTemplate(plugin, host, "%XFaceVersion").c_str());
}

std::string ReadFile(const char* path) {
  std::string text;
  if (FILE* f = std::fopen(path, "rb")) {
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    std::fclose(f);
  }
  return text;
}

int Show(const hostsim::PluginModule& plugin, const char* xface_file, const char* face_file,
         const char* out) {
  hostsim::HostState host;
  hostsim::HostWindows::Options options;
  options.height = 300;
  options.dpi = hostsim::NewWindowDpi();
  hostsim::HostWindows windows(&host, &plugin, options);
  plugin.Initialize();
  host.read_xface = ReadFile(xface_file);
  if (face_file != nullptr) host.read_face = ReadFile(face_file);
  const std::string expansion = hostsim::RunTemplate(plugin, host, "%DisplayXFace");
  std::printf("%%DisplayXFace -> \"%s\"\n", expansion.c_str());
  hostsim::HostWindows::Pump(200);
  const bool saved = hostsim::SaveClientAreaAsBmp(windows.main(), out);
  plugin.Finalize();
  if (!saved) std::fprintf(stderr, "hostsim: cannot save %s\n", out);
  return saved ? 0 : 1;
}

// The configuration dialog of this process, once it is shown.
BOOL CALLBACK MatchDialog(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (process != GetCurrentProcessId() || std::string_view(name) != "#32770" ||
      !IsWindowVisible(window))
    return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

HWND FindDialog() {
  HWND found = nullptr;
  EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

int Dialog(const hostsim::PluginModule& plugin, const char* out) {
  plugin.Initialize();
  bool saved = false;
  std::thread shooter([&] {
    HWND dialog = nullptr;
    for (int i = 0; i < 100 && dialog == nullptr; ++i, Sleep(50)) dialog = FindDialog();
    if (dialog == nullptr) return;
    Sleep(300);  // let it paint
    saved = hostsim::SaveClientAreaAsBmp(dialog, out);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  plugin.Setup();
  shooter.join();
  plugin.Finalize();
  if (!saved) std::fprintf(stderr, "hostsim: cannot save %s\n", out);
  return saved ? 0 : 1;
}

// Waits up to 5 s for `find` to give a window.
HWND WaitFor(const std::function<HWND()>& find) {
  for (int i = 0; i < 100; ++i, Sleep(50))
    if (HWND found = find()) return found;
  return nullptr;
}

void Click(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int FaceMakerShot(const hostsim::PluginModule& plugin, const char* picture, const char* out) {
  plugin.Initialize();
  bool saved = false;
  std::thread shooter([&] {
    const HWND dialog = WaitFor(&FindDialog);
    if (dialog == nullptr) return;
    Click(dialog, vizmark::OptionsDialog::kFaceMaker);
    const HWND maker = WaitFor([&] { return hostsim::FindDialogOwnedBy(dialog); });
    if (maker != nullptr) {
      Click(maker, vizmark::FaceMaker::kChoose);
      const HWND open = WaitFor([&] { return hostsim::FindDialogOwnedBy(maker); });
      std::wstring path(MAX_PATH, L'\0');
      path.resize(static_cast<size_t>(
          MultiByteToWideChar(CP_ACP, 0, picture, -1, path.data(), MAX_PATH) - 1));
      if (open != nullptr && hostsim::AnswerFileDialog(open, path)) {
        WaitFor([&] { return IsWindowEnabled(GetDlgItem(maker, IDOK)) ? maker : nullptr; });
        Sleep(300);  // let it paint
        saved = hostsim::SaveClientAreaAsBmp(maker, out);
      }
      Click(maker, IDCANCEL);
      WaitFor([&] { return IsWindow(maker) ? nullptr : dialog; });
    }
    Click(dialog, IDCANCEL);
  });
  plugin.Setup();
  shooter.join();
  plugin.Finalize();
  if (!saved) std::fprintf(stderr, "hostsim: cannot save %s\n", out);
  return saved ? 0 : 1;
}

int MakeFaceText(int argc, char** argv, int arg) {
  if (arg + 2 >= argc) return Usage();
  const char* in = argv[arg + 1];
  const char* out = argv[arg + 2];
  vizmark::FaceOptions options;
  for (arg += 3; arg < argc; ++arg) {
    const std::string_view option = argv[arg];
    if (option == "--invert") {
      options.invert = true;
    } else if (option == "--threshold" && arg + 1 < argc) {
      char* end = nullptr;
      const long level = std::strtol(argv[++arg], &end, 10);
      if (*end != '\0' || end == argv[arg] || level < 0 || level > 255) return Usage();
      options.mode = vizmark::FaceMode::kThreshold;
      options.level = static_cast<uint8_t>(level);
    } else {
      return Usage();
    }
  }
  const std::optional<vizmark::DecodedPicture> picture =
      vizmark::DecodePictureFile(vizmark::FilePathFromSystemText(in));
  if (!picture) {
    std::fprintf(stderr, "hostsim: cannot read the picture %s\n", in);
    return 1;
  }
  const std::optional<vizmark::MadeFace> face =
      vizmark::MakeFace(picture->width, picture->height, picture->rgba, options);
  if (!face) {
    std::fprintf(stderr, "hostsim: cannot make a face of %s\n", in);
    return 1;
  }
  FILE* file = std::fopen(out, "wb");
  const bool written =
      file != nullptr && std::fwrite(face->header_text.data(), 1, face->header_text.size(), file) ==
                             face->header_text.size();
  if (file != nullptr && std::fclose(file) != 0) return 1;
  if (!written) {
    std::fprintf(stderr, "hostsim: cannot write %s\n", out);
    return 1;
  }
  std::printf("%s: %zu characters\n", out, face->header_text.size());
  return 0;
}

// Runs this program again, with the same command line, once Wine's setting of the pixels per
// inch is `dpi`; then puts the setting back. The new process's exit code, or -1.
int RunAgainAtDpi(int dpi) {
  constexpr wchar_t kAgain[] = L"HOSTSIM_DPI_SET";
  if (GetEnvironmentVariableW(kAgain, nullptr, 0) != 0) return -1;  // it did not help
  const int before = hostsim::WineDpi();
  if (!hostsim::SetWineDpi(dpi)) return -1;
  SetEnvironmentVariableW(kAgain, L"1");
  std::wstring command_line = GetCommandLineW();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  DWORD code = static_cast<DWORD>(-1);
  if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  hostsim::SetWineDpi(before);
  return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
  hostsim::BecomeDpiAware();
  std::string dll = hostsim::PluginModule::DefaultPath();
  int dpi = 0;
  int arg = 1;
  for (; arg + 1 < argc; arg += 2) {
    const std::string_view option = argv[arg];
    if (option == "--dll") {
      dll = argv[arg + 1];
    } else if (option == "--dpi") {
      dpi = std::atoi(argv[arg + 1]);
      if (dpi <= 0) return Usage();
    } else {
      break;
    }
  }
  if (arg >= argc) return Usage();
  if (dpi > 0 && hostsim::SystemDpi() != dpi) {
    const int code = hostsim::RunningOnWine() ? RunAgainAtDpi(dpi) : -1;
    if (code != -1) return code;
  }
  if (dpi > 0 && (hostsim::SystemDpi() != dpi || !hostsim::UseSystemDpiForNewWindows())) {
    std::fprintf(stderr, "hostsim: the windows get %d pixels per inch, not %d\n",
                 hostsim::NewWindowDpi(), dpi);
    return 3;
  }
  const std::string_view command = argv[arg];
  if (command == "makeface") return MakeFaceText(argc, argv, arg);  // no plug-in needed
  try {
    hostsim::PluginModule plugin(dll);
    if (command == "info") {
      PrintInfo(plugin);
    } else if (command == "run" && arg + 1 < argc) {
      hostsim::HostState host;
      plugin.Initialize();  // as the mail client does before it runs any macro
      std::printf("%s\n", hostsim::RunTemplate(plugin, host, argv[arg + 1]).c_str());
      plugin.Finalize();
      if (host.composed_xface) std::printf("X-Face:%s", host.composed_xface->c_str());
    } else if (command == "dialog" && arg + 1 < argc) {
      return Dialog(plugin, argv[arg + 1]);
    } else if (command == "show" && (arg + 3 == argc || arg + 5 == argc)) {
      const char* face = nullptr;
      if (arg + 5 == argc) {
        if (std::string_view(argv[arg + 3]) != "--face") return Usage();
        face = argv[arg + 4];
      }
      return Show(plugin, argv[arg + 1], face, argv[arg + 2]);
    } else if (command == "facemaker" && arg + 2 < argc) {
      return FaceMakerShot(plugin, argv[arg + 1], argv[arg + 2]);
    } else {
      return Usage();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hostsim: %s\n", e.what());
    return 1;
  }
  return 0;
}
