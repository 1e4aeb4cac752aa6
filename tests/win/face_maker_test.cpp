// The face maker, opened from the configuration dialog of the real DLL (TBP_Setup) and driven
// from the test's thread as a user would: its button, the system's file dialogs, the slider,
// the keys, the clipboard.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/file_read.h"
#include "base/win_handles.h"
#include "cfgdlg/face_maker.h"
#include "cfgdlg/face_maker_model.h"
#include "cfgdlg/options_dialog.h"
#include "hostsim/file_dialog.h"
#include "hostsim/host_state.h"
#include "hostsim/plugin_module.h"
#include "hostsim/template_runner.h"
#include "tests/win/win_test_support.h"

namespace {

using hostsim::FindDialogOwnedBy;
using hostsim::PluginModule;
using vizmark::FaceMaker;
using vizmark::OptionsDialog;

using testsupport::FromCp1250;
using testsupport::TextOf;

[[maybe_unused]] const auto* const kSession = testsupport::RegisterTestSession();
[[maybe_unused]] const bool kCrashesFail = testsupport::ReportCrashesAsFailures();

// A photo-like picture: a colour ramp with a dark round spot, 120 x 90, opaque.
constexpr int kWidth = 120, kHeight = 90;
std::vector<uint8_t> Picture() {
  std::vector<uint8_t> rgba;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const bool spot = (x - 70) * (x - 70) + (y - 40) * (y - 40) < 400;
      rgba.insert(rgba.end(),
                  {static_cast<uint8_t>(spot ? 20 : x * 2), static_cast<uint8_t>(spot ? 30 : y * 2),
                   static_cast<uint8_t>(spot ? 40 : 255 - x), 255});
    }
  return rgba;
}

void PutU32(std::string& out, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(value >> (8 * i));
}

// The picture as a packed bottom-up DIB: 24 bits a pixel after a 40-byte header, or 32 bits
// with their masks, alpha included, after a 124-byte one.
std::string PackedDib(bool v5) {
  const std::vector<uint8_t> rgba = Picture();
  const uint32_t header = v5 ? 124 : 40, bytes = v5 ? 4 : 3;
  const uint32_t stride = (kWidth * bytes + 3) / 4 * 4;
  std::string dib(header + stride * kHeight, '\0');
  PutU32(dib, 0, header);
  PutU32(dib, 4, kWidth);
  PutU32(dib, 8, kHeight);
  dib[12] = 1;
  dib[14] = static_cast<char>(bytes * 8);
  if (v5) {
    PutU32(dib, 16, BI_BITFIELDS);
    PutU32(dib, 40, 0x00FF0000);
    PutU32(dib, 44, 0x0000FF00);
    PutU32(dib, 48, 0x000000FF);
    PutU32(dib, 52, 0xFF000000);
    PutU32(dib, 56, 0x73524742);  // LCS_sRGB, 'sRGB'
  }
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const uint8_t* pixel = &rgba[4 * (static_cast<std::size_t>(y) * kWidth + x)];
      char* out = &dib[header + stride * (kHeight - 1 - y) + bytes * x];
      out[0] = static_cast<char>(pixel[2]);
      out[1] = static_cast<char>(pixel[1]);
      out[2] = static_cast<char>(pixel[0]);
      if (v5) out[3] = static_cast<char>(pixel[3]);
    }
  return dib;
}

std::string BmpFile() {
  const std::string dib = PackedDib(false);
  std::string file(14, '\0');
  file[0] = 'B';
  file[1] = 'M';
  PutU32(file, 2, static_cast<uint32_t>(14 + dib.size()));
  PutU32(file, 10, 14 + 40);
  return file + dib;
}

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(
      static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                              wide.data(), static_cast<int>(wide.size()))));
  return wide;
}

// The clipboard's text in `format` (CF_UNICODETEXT or CF_TEXT), as UTF-16.
std::wstring ClipboardText(UINT format) {
  if (!OpenClipboard(nullptr)) return L"(not open)";
  std::wstring text = L"(none)";
  if (HANDLE data = GetClipboardData(format)) {
    const void* bytes = GlobalLock(data);
    if (bytes != nullptr) {
      text = format == CF_UNICODETEXT ? std::wstring(static_cast<const wchar_t*>(bytes))
                                      : Wide(static_cast<const char*>(bytes));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// Puts the picture on the clipboard in `format` alone (nothing at all for 0).
bool PutPictureOnClipboard(UINT format) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  bool put = true;
  if (format == CF_DIB || format == CF_DIBV5) {
    const std::string dib = PackedDib(format == CF_DIBV5);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, dib.size());
    std::memcpy(GlobalLock(memory), dib.data(), dib.size());
    GlobalUnlock(memory);
    put = SetClipboardData(format, memory) != nullptr;
  } else if (format == CF_BITMAP) {
    const std::string dib = PackedDib(false);
    vizmark::WindowDc screen(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), kWidth, kHeight);
    SetDIBits(screen.get(), bitmap, 0, kHeight, dib.data() + 40,
              reinterpret_cast<const BITMAPINFO*>(dib.data()), DIB_RGB_COLORS);
    put = SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  }
  CloseClipboard();
  return put;
}

// The steps of a test, run one after another inside whichever modal loop the thread is in:
// each waits until its window is there and acts on it.
struct Step {
  std::function<HWND()> wait_for;
  std::function<void(HWND)> act;
};
std::vector<Step> g_steps;
std::size_t g_next = 0;

void CALLBACK RunSteps(HWND, UINT, UINT_PTR timer, DWORD) {
  static bool running = false;  // an act may run a modal loop of its own
  if (running) return;
  if (g_next >= g_steps.size()) {
    KillTimer(nullptr, timer);
    return;
  }
  const HWND window = g_steps[g_next].wait_for();
  if (window == nullptr) return;
  running = true;
  g_steps[g_next++].act(window);
  running = false;
}

BOOL CALLBACK MatchThreadWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<std::pair<bool (*)(HWND), HWND>*>(param);
  if (!IsWindowVisible(window) || !search->first(window)) return TRUE;
  search->second = window;
  return FALSE;
}

// The first visible window of this thread that `matches`.
HWND ThreadWindow(bool (*matches)(HWND)) {
  std::pair<bool (*)(HWND), HWND> search{matches, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &MatchThreadWindow, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

HWND OptionsShown() {
  return ThreadWindow(
      [](HWND window) { return GetDlgItem(window, OptionsDialog::kFaceMaker) != nullptr; });
}

// A dialog of this thread without an owner.
HWND ThreadDialog() {
  return ThreadWindow([](HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return std::string_view(name) == "#32770" && GetWindow(window, GW_OWNER) == nullptr;
  });
}

// The window the user acts on next: the dialog the options dialog (or the face maker) shows.
HWND FaceMakerShown() {
  const HWND options = OptionsShown();
  return options != nullptr ? FindDialogOwnedBy(options) : nullptr;
}
HWND FileDialogShown() {
  const HWND maker = FaceMakerShown();
  return maker != nullptr ? FindDialogOwnedBy(maker) : nullptr;
}

// A question over the face maker: a message box it shows, or one over its file dialog.
HWND QuestionShown() {
  for (HWND dialog = FaceMakerShown(); dialog != nullptr; dialog = FindDialogOwnedBy(dialog))
    if (GetDlgItem(dialog, IDYES) != nullptr) return dialog;
  return nullptr;
}

BOOL CALLBACK AddText(HWND control, LPARAM param) {
  *reinterpret_cast<std::wstring*>(param) += TextOf(control) + L"\n";
  return TRUE;
}

// The texts of a dialog's controls, a line each.
std::wstring TextsOf(HWND dialog) {
  std::wstring texts;
  EnumChildWindows(dialog, &AddText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

// A user's click on a button: the button's own message, posted as the mouse's would come.
void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// A key pressed while `control` has the focus, read by the dialog's own loop.
void Key(HWND dialog, int id, WPARAM key) {
  SetFocus(GetDlgItem(dialog, id));
  PostMessageW(GetDlgItem(dialog, id), WM_KEYDOWN, key, 0);
  PostMessageW(GetDlgItem(dialog, id), WM_KEYUP, key, 0);
}

// The face maker again, once the file dialog over it has gone.
HWND BackInTheMaker() { return FileDialogShown() == nullptr ? FaceMakerShown() : nullptr; }

// The steps that open the face maker from the options, paste the clipboard's picture and press
// Save once the face is made; `then` follow.
std::vector<Step> PasteAndSave(std::vector<Step> then) {
  std::vector<Step> steps = {
      {&OptionsShown, [](HWND options) { Click(options, OptionsDialog::kFaceMaker); }},
      {&FaceMakerShown, [](HWND maker) { Click(maker, FaceMaker::kPaste); }},
      {[] {
         const HWND maker = FaceMakerShown();
         return maker != nullptr && IsWindowEnabled(GetDlgItem(maker, FaceMaker::kSave)) ? maker
                                                                                         : nullptr;
       },
       [](HWND maker) { Click(maker, FaceMaker::kSave); }},
  };
  steps.insert(steps.end(), std::make_move_iterator(then.begin()),
               std::make_move_iterator(then.end()));
  return steps;
}

// The face as the face maker shows it at its real size (96 pixels an inch: one screen pixel a
// face pixel), inside the frame of its control.
testsupport::Face ShownFace(HWND maker) {
  return testsupport::ReadWindowPixels(GetDlgItem(maker, FaceMaker::kRealSize), 1, 1);
}

testsupport::Face FaceOf(const vizmark::FacePixels& pixels) {
  return testsupport::Face(pixels.begin(), pixels.end());
}

// What the face maker should make of the picture as its controls stand.
std::optional<vizmark::MadeFace> Expected(HWND maker) {
  vizmark::FaceMakerChoices choices;
  choices.mode = IsDlgButtonChecked(maker, FaceMaker::kDithered)    ? vizmark::FaceMode::kDithered
                 : IsDlgButtonChecked(maker, FaceMaker::kThreshold) ? vizmark::FaceMode::kThreshold
                                                                    : vizmark::FaceMode::kAutomatic;
  choices.brightness =
      static_cast<int>(SendDlgItemMessageW(maker, FaceMaker::kBrightness, TBM_GETPOS, 0, 0));
  choices.invert = IsDlgButtonChecked(maker, FaceMaker::kInvert) == BST_CHECKED;
  const std::vector<uint8_t> rgba = Picture();
  return vizmark::MakeFace(kWidth, kHeight, rgba, vizmark::ToFaceOptions(choices));
}

// The face shown, and its length, are those of the picture as the controls say.
void ExpectShowsTheFace(HWND maker, const std::string& when) {
  const std::optional<vizmark::MadeFace> expected = Expected(maker);
  ASSERT_TRUE(expected) << when;
  EXPECT_EQ(ShownFace(maker), FaceOf(expected->pixels)) << when << "\n"
                                                        << testsupport::Show(ShownFace(maker));
  EXPECT_EQ(TextOf(GetDlgItem(maker, FaceMaker::kLength)),
            FromCp1250(vizmark::HeaderLengthText(expected->header_text.size())))
      << when;
}

BOOL CALLBACK CollectControl(HWND control, LPARAM param) {
  if (IsWindowVisible(control)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(control);
  return TRUE;
}

RECT PlaceOf(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Every two visible controls apart, each inside the client area, and every text within its
// control: a static's as the static draws it, a button's with room for its box or its edges.
void ExpectLaidOut(HWND dialog, const std::string& look, HFONT font, int dpi) {
  std::vector<HWND> controls;
  EnumChildWindows(dialog, &CollectControl, reinterpret_cast<LPARAM>(&controls));
  RECT client{};
  GetClientRect(dialog, &client);
  vizmark::UniqueHdc dc(CreateCompatibleDC(nullptr));
  vizmark::SelectedObject selected(dc.get(), font);
  for (size_t i = 0; i < controls.size(); ++i) {
    const RECT a = PlaceOf(controls[i]);
    const int id = GetDlgCtrlID(controls[i]);
    RECT inside{};
    IntersectRect(&inside, &a, &client);
    EXPECT_TRUE(EqualRect(&inside, &a)) << look << ": control " << id << " sticks out";
    for (size_t j = i + 1; j < controls.size(); ++j) {
      RECT common{};
      const RECT b = PlaceOf(controls[j]);
      EXPECT_FALSE(IntersectRect(&common, &a, &b))
          << look << ": controls " << id << " and " << GetDlgCtrlID(controls[j]) << " overlap";
    }
    const std::wstring text = TextOf(controls[i]);
    if (text.empty()) continue;
    RECT drawn = {0, 0, a.right - a.left, 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &drawn,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    char name[16] = {};
    GetClassNameA(controls[i], name, sizeof name);
    const LONG room = std::string_view(name) == "Button" ? MulDiv(14, dpi, 96) : 0;
    EXPECT_LE(drawn.right + room, a.right - a.left) << look << ": the text of " << id;
    EXPECT_LE(drawn.bottom, a.bottom - a.top) << look << ": the text of " << id;
  }
}

class FaceMakerTest : public testing::Test {
 protected:
  void SetUp() override {
    plugin_ = std::make_unique<PluginModule>(PluginModule::DefaultPath());
    plugin_->Initialize();
  }
  void TearDown() override {
    if (plugin_->handle() != nullptr) plugin_->Finalize();
  }

  // Runs TBP_Setup while `steps` drive what it shows; every step must have run, and whatever
  // is still open after kPatience is cancelled as a failure.
  void Setup(std::vector<Step> steps) {
    g_steps = std::move(steps);
    g_next = 0;
    const UINT_PTR driver = SetTimer(nullptr, 0, 50, &RunSteps);
    const UINT_PTR give_up = SetTimer(nullptr, 0, 2 * testsupport::kPatience, &GiveUp);
    EXPECT_EQ(plugin_->Setup(), 0);
    KillTimer(nullptr, give_up);
    KillTimer(nullptr, driver);
    EXPECT_EQ(g_next, g_steps.size()) << "steps run";
    g_steps.clear();
  }

  static void CALLBACK GiveUp(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    ADD_FAILURE() << "still open after " << 2 * testsupport::kPatience / 1000 << " s";
    EnumThreadWindows(GetCurrentThreadId(), &CancelDialog, 0);
  }

  // Every dialog of the thread, whatever it is, so that the test ends.
  static BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string_view(name) == "#32770") PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }

  // The template line on the clipboard, handed to the plug-in as the client hands it (in the
  // system's code page), sets `face`.
  void ExpectTheLineSetsTheFace(const std::string& face) {
    const std::wstring line = ClipboardText(CF_UNICODETEXT);
    std::string pasted(line.size() * 4 + 1, '\0');
    pasted.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_ACP, 0, line.c_str(), static_cast<int>(line.size()), pasted.data(),
                            static_cast<int>(pasted.size()), nullptr, nullptr)));
    hostsim::HostState host;
    EXPECT_EQ(hostsim::RunTemplate(*plugin_, host, pasted), "") << pasted;
    EXPECT_EQ(host.composed_xface.value_or("(none)"), face);
  }

  std::unique_ptr<PluginModule> plugin_;
};

// Open the options, press the button, choose a picture in the open dialog, change how the face
// is made, save it with Enter through the save dialog, close with Esc: the file sets the same
// face through %SetXFace, run as the template line the clipboard holds.
TEST_F(FaceMakerTest, MakesAFaceFromAFileAndSavesItWithItsTemplateLine) {
  testsupport::TempDir dir;
  const std::string picture = dir.File("obrazek.bmp"), saved = dir.File("moja twarz.txt");
  ASSERT_TRUE(testsupport::WriteFileBytes(picture, BmpFile()));
  ASSERT_TRUE(PutPictureOnClipboard(0));
  std::vector<testsupport::Face> shown;
  Setup({
      {&OptionsShown, [](HWND options) { Click(options, OptionsDialog::kFaceMaker); }},
      {&FaceMakerShown,
       [](HWND maker) {
         EXPECT_EQ(GetWindow(maker, GW_OWNER), OptionsShown());
         EXPECT_FALSE(IsWindowEnabled(GetDlgItem(maker, FaceMaker::kSave)));
         Click(maker, FaceMaker::kChoose);
       }},
      {&FileDialogShown,
       [&](HWND open) { EXPECT_TRUE(hostsim::AnswerFileDialog(open, Wide(picture))); }},
      {[] {
         const HWND maker = FaceMakerShown();
         return FileDialogShown() == nullptr && maker != nullptr &&
                        IsWindowEnabled(GetDlgItem(maker, FaceMaker::kSave))
                    ? maker
                    : nullptr;
       },
       [&](HWND maker) {
         testsupport::PumpUntilIdle(testsupport::kPatience);
         ExpectShowsTheFace(maker, "as chosen");
         shown.push_back(ShownFace(maker));
         // One threshold, the slider two pages brighter, then the negative.
         Click(maker, FaceMaker::kThreshold);
         testsupport::PumpUntilIdle(testsupport::kPatience);
         Key(maker, FaceMaker::kBrightness, VK_NEXT);
         Key(maker, FaceMaker::kBrightness, VK_NEXT);
         testsupport::PumpUntilIdle(testsupport::kPatience);
         EXPECT_EQ(SendDlgItemMessageW(maker, FaceMaker::kBrightness, TBM_GETPOS, 0, 0),
                   vizmark::FaceMakerChoices{}.brightness + 32);
         ExpectShowsTheFace(maker, "one threshold, brighter");
         shown.push_back(ShownFace(maker));
         Click(maker, FaceMaker::kInvert);
         testsupport::PumpUntilIdle(testsupport::kPatience);
         ExpectShowsTheFace(maker, "negative");
         shown.push_back(ShownFace(maker));
         Key(maker, FaceMaker::kBrightness, VK_RETURN);  // saves
       }},
      {&FileDialogShown,
       [&](HWND save) { EXPECT_TRUE(hostsim::AnswerFileDialog(save, Wide(saved))); }},
      {&BackInTheMaker,
       [&](HWND maker) {
         testsupport::PumpUntilIdle(testsupport::kPatience);
         const std::optional<vizmark::MadeFace> expected = Expected(maker);
         ASSERT_TRUE(expected);
         EXPECT_EQ(testsupport::ReadFileBytes(saved), expected->header_text);
         Key(maker, FaceMaker::kBrightness, VK_ESCAPE);  // closes
       }},
      {[] { return FaceMakerShown() == nullptr ? OptionsShown() : nullptr; },
       [](HWND options) { PostMessageW(options, WM_COMMAND, IDCANCEL, 0); }},
  });
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_NE(shown[0], shown[1]);
  EXPECT_NE(shown[1], shown[2]);

  const std::wstring line = L"%SetXFace(\"" + Wide(saved) + L"\")";
  EXPECT_EQ(ClipboardText(CF_UNICODETEXT), line);
  EXPECT_EQ(ClipboardText(CF_TEXT), line);
  ExpectTheLineSetsTheFace(testsupport::ReadFileBytes(saved));
}

// The name is typed with a picture's extension, where a picture is: the face goes into that
// name with .txt added, the picture stays, and the line on the clipboard sets the face. Once
// the face changes, the news of the save goes. Saved again under the same name, the face maker
// asks before it replaces that file: No keeps it, Yes replaces it.
TEST_F(FaceMakerTest, SavesAsTextWhateverTheNameAndAsksBeforeReplacingThatFile) {
  testsupport::TempDir dir;
  const std::string typed = dir.File("twarz.png"), saved = typed + ".txt";
  const std::string picture = "\x89PNG, a picture of its own";
  ASSERT_TRUE(testsupport::WriteFileBytes(typed, picture));
  ASSERT_TRUE(PutPictureOnClipboard(CF_DIB));
  const std::wstring saved_news = L"Zapisano. Wiersz szablonu z makrem %SetXFace jest w schowku.";
  std::string first;  // the header text saved first
  const auto save_as_typed = [&](HWND save) {
    EXPECT_TRUE(hostsim::AnswerFileDialog(save, Wide(typed)));
  };
  const auto answer = [](WPARAM button) {
    return [button](HWND question) { PostMessageW(question, WM_COMMAND, button, 0); };
  };
  Setup(PasteAndSave({
      {&FileDialogShown, save_as_typed},
      // The system asks about the picture typed (it is there); the face maker writes elsewhere.
      {&QuestionShown, answer(IDYES)},
      {&BackInTheMaker,
       [&](HWND maker) {
         testsupport::PumpUntilIdle(testsupport::kPatience);
         EXPECT_EQ(testsupport::ReadFileBytes(typed), picture);
         first = testsupport::ReadFileBytes(saved);
         EXPECT_EQ(first, Expected(maker).value_or(vizmark::MadeFace{}).header_text);
         EXPECT_EQ(TextOf(GetDlgItem(maker, FaceMaker::kStatus)), saved_news);
         Key(maker, FaceMaker::kBrightness, VK_NEXT);
         testsupport::PumpUntilIdle(testsupport::kPatience);
         ExpectShowsTheFace(maker, "brighter");
         EXPECT_EQ(TextOf(GetDlgItem(maker, FaceMaker::kStatus)), L"") << "after the slider moved";
         Click(maker, FaceMaker::kSave);
       }},
      {&FileDialogShown, save_as_typed},
      {&QuestionShown, answer(IDYES)},  // the system's, about the picture
      {&QuestionShown,                  // the face maker's, about the .txt file
       [&](HWND question) {
         EXPECT_NE(TextsOf(question).find(L"\u201Etwarz.png.txt\u201D"), std::wstring::npos)
             << TextsOf(question);
         answer(IDNO)(question);
       }},
      {&BackInTheMaker,
       [&](HWND maker) {
         testsupport::PumpUntilIdle(testsupport::kPatience);
         EXPECT_EQ(testsupport::ReadFileBytes(saved), first) << "kept after No";
         Click(maker, FaceMaker::kSave);
       }},
      {&FileDialogShown, save_as_typed},
      {&QuestionShown, answer(IDYES)},
      {&QuestionShown, answer(IDYES)},
      {&BackInTheMaker,
       [&](HWND maker) {
         testsupport::PumpUntilIdle(testsupport::kPatience);
         EXPECT_EQ(testsupport::ReadFileBytes(saved),
                   Expected(maker).value_or(vizmark::MadeFace{}).header_text);
         EXPECT_NE(testsupport::ReadFileBytes(saved), first);
         EXPECT_EQ(TextOf(GetDlgItem(maker, FaceMaker::kStatus)), saved_news);
         Click(maker, FaceMaker::kClose);
       }},
      {[] { return FaceMakerShown() == nullptr ? OptionsShown() : nullptr; },
       [](HWND options) { PostMessageW(options, WM_COMMAND, IDCANCEL, 0); }},
  }));
  EXPECT_EQ(testsupport::ReadFileBytes(typed), picture);

  const std::wstring line = L"%SetXFace(\"" + Wide(saved) + L"\")";
  EXPECT_EQ(ClipboardText(CF_UNICODETEXT), line);
  ExpectTheLineSetsTheFace(testsupport::ReadFileBytes(saved));
}

// Saved in a folder whose name the system's code page lacks, the face is named in the line by
// the path's short form: the client, which hands %SetXFace its argument in that code page, then
// reaches the file.
TEST_F(FaceMakerTest, ALineForAFolderNamedBeyondTheCodePageReachesTheFile) {
  testsupport::TempDir dir;
  const std::wstring folder = Wide(dir.path()) + L"\\\u043b\u0438\u0446\u043e";  // "лицо"
  const std::wstring saved = folder + L"\\twarz.txt";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(PutPictureOnClipboard(CF_DIB));
  Setup(PasteAndSave({
      {&FileDialogShown, [&](HWND save) { EXPECT_TRUE(hostsim::AnswerFileDialog(save, saved)); }},
      {&BackInTheMaker,
       [](HWND maker) {
         testsupport::PumpUntilIdle(testsupport::kPatience);
         EXPECT_EQ(TextOf(GetDlgItem(maker, FaceMaker::kStatus)),
                   L"Zapisano. Wiersz szablonu z makrem %SetXFace jest w schowku.");
         Click(maker, FaceMaker::kClose);
       }},
      {[] { return FaceMakerShown() == nullptr ? OptionsShown() : nullptr; },
       [](HWND options) { PostMessageW(options, WM_COMMAND, IDCANCEL, 0); }},
  }));
  const std::optional<std::vector<unsigned char>> bytes =
      vizmark::ReadWholeFile(vizmark::FilePathFromWide(saved), FILE_SHARE_READ, 4096);
  ASSERT_TRUE(bytes.has_value());
  const std::string written(bytes->begin(), bytes->end());
  ASSERT_FALSE(written.empty());

  ExpectTheLineSetsTheFace(written);
  DeleteFileW(saved.c_str());
  RemoveDirectoryW(folder.c_str());
}

// What the clipboard holds, each format alone: the packed pictures, the bitmap object the
// system makes of them, and nothing (the face maker says so and keeps what it showed).
TEST_F(FaceMakerTest, PastesEveryKindOfPictureTheClipboardHolds) {
  const struct {
    const char* name;
    UINT format;
  } cases[] = {{"none", 0}, {"CF_DIB", CF_DIB}, {"CF_DIBV5", CF_DIBV5}, {"CF_BITMAP", CF_BITMAP}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(PutPictureOnClipboard(c.format));
    Setup({
        {&OptionsShown, [](HWND options) { Click(options, OptionsDialog::kFaceMaker); }},
        {&FaceMakerShown, [](HWND maker) { Click(maker, FaceMaker::kPaste); }},
        {[] { return FaceMakerShown(); },
         [&](HWND maker) {
           testsupport::PumpUntilIdle(testsupport::kPatience);
           if (c.format == 0) {
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(maker, FaceMaker::kSave)));
             EXPECT_EQ(TextOf(GetDlgItem(maker, FaceMaker::kStatus)), L"W schowku nie ma obrazka.");
           } else {
             EXPECT_TRUE(IsWindowEnabled(GetDlgItem(maker, FaceMaker::kSave)));
             ExpectShowsTheFace(maker, c.name);
           }
           Click(maker, FaceMaker::kClose);
         }},
        {[] { return FaceMakerShown() == nullptr ? OptionsShown() : nullptr; },
         [](HWND options) { PostMessageW(options, WM_COMMAND, IDCANCEL, 0); }},
    });
  }
}

// The host removes the plug-in while the open dialog is shown over the face maker: the open
// dialog, the face maker and the options dialog all close, and TBP_Setup returns.
TEST_F(FaceMakerTest, FinalizeClosesTheFaceMakerAndTheDialogOverIt) {
  std::vector<HWND> windows;
  Setup({
      {&OptionsShown, [](HWND options) { Click(options, OptionsDialog::kFaceMaker); }},
      {&FaceMakerShown, [](HWND maker) { Click(maker, FaceMaker::kChoose); }},
      {&FileDialogShown,
       [&](HWND open) {
         windows = {open, FaceMakerShown(), OptionsShown()};
         plugin_->Finalize();
         for (HWND window : windows) EXPECT_FALSE(IsWindowVisible(window));
       }},
  });
  ASSERT_EQ(windows.size(), 3u);
  for (HWND window : windows) EXPECT_FALSE(IsWindow(window));
  plugin_->Unload();
}

// Laid out from its measured texts in the system's message font and in MS Sans Serif, at 96,
// 120, 144 and 192 pixels an inch: no two controls overlap, each lies inside the window, every
// text fits its control, and the face is drawn whole, its pixels as large at every size.
TEST(FaceMakerLayout, NoControlOverlapsAnotherAndEveryTextFitsInAnyFontAtAnyDpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  for (const std::wstring& face :
       {std::wstring(metrics.lfMessageFont.lfFaceName), std::wstring(L"MS Sans Serif")}) {
    for (const int dpi : {96, 120, 144, 192}) {
      const std::string look = std::string(face.begin(), face.end()) + " " + std::to_string(dpi);
      LOGFONTW form{};
      form.lfHeight = -MulDiv(11, dpi, 96);
      lstrcpynW(form.lfFaceName, face.c_str(), LF_FACESIZE);
      const vizmark::UniqueHfont font(CreateFontIndirectW(&form));
      FaceMaker maker(nullptr, dpi, font.get());
      g_steps = {{[] { return ThreadDialog(); },
                  [&](HWND shown) {
                    ExpectLaidOut(shown, look, font.get(), dpi);
                    const int pixel = std::max(1, (dpi + 48) / 96);
                    for (const auto& [id, size] : {std::pair{FaceMaker::kRealSize, 48 * pixel},
                                                   std::pair{FaceMaker::kPreview, 192 * pixel}}) {
                      RECT frame{};
                      GetClientRect(GetDlgItem(shown, id), &frame);
                      EXPECT_EQ(frame.right, size + 2) << look << " " << id;
                      EXPECT_EQ(frame.bottom, size + 2) << look << " " << id;
                    }
                    PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
                  }}};
      g_next = 0;
      const UINT_PTR driver = SetTimer(nullptr, 0, 50, &RunSteps);
      EXPECT_EQ(maker.ShowModal(), IDCANCEL) << look;
      KillTimer(nullptr, driver);
      EXPECT_EQ(g_next, 1u) << look;
    }
  }
}

}  // namespace
