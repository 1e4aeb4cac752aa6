// The configuration dialog, opened by TBP_Setup of the real DLL on a thread of its own and
// driven from the test's thread as a user would.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "base/cp1250.h"
#include "base/win_handles.h"
#include "cfgdlg/options_dialog.h"
#include "hostsim/host_windows.h"
#include "hostsim/plugin_module.h"
#include "tests/win/win_test_support.h"

namespace {

using hostsim::HostWindows;
using hostsim::PluginModule;
using vizmark::OptionsDialog;
using vizmark::operator""_cp1250;

using testsupport::FromCp1250;
using testsupport::TextOf;

[[maybe_unused]] const auto* const kSession = testsupport::RegisterTestSession();
[[maybe_unused]] const bool kCrashesFail = testsupport::ReportCrashesAsFailures();

constexpr char kKey[] = "Software\\RIT\\The Bat!\\Vizmark";

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

void StoreShortcut(const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  vizmark::UniqueHkey owner(key);
  RegSetValueExA(key, "Filter ShortCut", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

std::string StoredShortcut() {
  char data[256] = {};
  DWORD size = sizeof data;
  if (RegGetValueA(HKEY_CURRENT_USER, kKey, "Filter ShortCut", RRF_RT_REG_SZ, nullptr, data,
                   &size) != ERROR_SUCCESS)
    return "(none)";
  return data;
}

// TBP_Setup shows the dialog modally on the calling thread; the test drives it from a
// timer that fires inside that modal loop, as a user's clicks would arrive.
std::function<void(HWND)> g_drive;

// The dialogs TBP_Setup shows on this thread (another program's, sharing the screen, are not
// this test's).
struct DialogSearch {
  std::wstring caption;
  std::vector<HWND> found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  if (ClassOf(window) == "#32770" && TextOf(window) == search->caption)
    search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> FindDialogs() {
  DialogSearch search{FromCp1250("Konfiguracja wtyczki Vizmark"), {}};
  EnumThreadWindows(GetCurrentThreadId(), &MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindDialog() {
  const std::vector<HWND> dialogs = FindDialogs();
  return dialogs.empty() ? nullptr : dialogs.front();
}

void CALLBACK DriveDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindDialog();
  if (dialog == nullptr || !IsWindowVisible(dialog)) return;
  KillTimer(nullptr, timer);
  const auto drive = std::move(g_drive);
  drive(dialog);
}

// A dialog still open this long after it was asked for was not closed by the test: fail,
// and cancel it so that the test ends instead of waiting for a click forever.
constexpr DWORD kGiveUpMs = 2 * testsupport::kPatience;
void CALLBACK GiveUp(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  ADD_FAILURE() << "the dialog was still open after " << kGiveUpMs / 1000 << " s";
  if (HWND dialog = FindDialog()) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    plugin_ = std::make_unique<PluginModule>(PluginModule::DefaultPath());
  }
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }

  // Runs TBP_Setup with `drive` seeing the shown dialog; `drive` must close it with one of
  // the buttons. Returns what TBP_Setup returned; a dialog never shown is a failure.
  int32_t Setup(std::function<void(HWND)> drive) {
    g_drive = std::move(drive);
    const UINT_PTR driver = SetTimer(nullptr, 0, 50, &DriveDialog);
    const UINT_PTR give_up = SetTimer(nullptr, 0, kGiveUpMs, &GiveUp);
    const int32_t result = plugin_->Setup();
    KillTimer(nullptr, give_up);
    if (g_drive) {
      KillTimer(nullptr, driver);
      g_drive = nullptr;
      ADD_FAILURE() << "TBP_Setup returned without showing the dialog";
    }
    return result;
  }

  static void Close(HWND dialog, int button) { PostMessageW(dialog, WM_COMMAND, button, 0); }

  // Presses `key` with `modifiers` held down, as a user would. The keys go to the keyboard
  // focus of the foreground window: the dialog's shortcut entry, made sure of first. They wait
  // in the input queue for whoever reads it next.
  static void Press(HWND dialog, BYTE key, std::initializer_list<BYTE> modifiers = {}) {
    ASSERT_TRUE(testsupport::BringToFront(dialog, GetDlgItem(dialog, OptionsDialog::kShortcutBox)));
    const auto press = [](BYTE vk, DWORD flags) {
      keybd_event(vk, static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), flags, 0);
    };
    for (BYTE modifier : modifiers) press(modifier, 0);
    press(key, 0);
    press(key, KEYEVENTF_KEYUP);
    for (BYTE modifier : modifiers) press(modifier, KEYEVENTF_KEYUP);
  }

  // Presses the keys and lets the shortcut entry take them at once (not the dialog: this
  // pump is not the dialog's own loop), until it shows `entry` and every key pressed is up
  // again as this thread sees the keyboard: all of them have been read.
  static void Type(HWND dialog, BYTE key, std::initializer_list<BYTE> modifiers, WORD entry) {
    Press(dialog, key, modifiers);
    HWND hot_key = GetDlgItem(dialog, OptionsDialog::kShortcutBox);
    const auto all_read = [&] {
      if (SendMessageW(hot_key, HKM_GETHOTKEY, 0, 0) != entry || GetKeyState(key) < 0) return false;
      for (BYTE modifier : modifiers)
        if (GetKeyState(modifier) < 0) return false;
      return true;
    };
    testsupport::PumpUntil(all_read, testsupport::kPatience);
    EXPECT_EQ(SendMessageW(hot_key, HKM_GETHOTKEY, 0, 0), entry) << key << modifiers.size();
  }

  std::unique_ptr<PluginModule> plugin_;
};

// The face of the font a control's text is drawn in.
std::wstring FontFaceOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
             &font);
  return font.lfFaceName;
}

// The controls, their texts and their order; and, in the font the form was drawn for (MS Sans
// Serif at 96 pixels an inch), every control in its designed place, the texts' controls at
// least as wide as designed and the others exactly as large.
void ExpectAsDesigned(HWND dialog) {
  const bool designed_font =
      FontFaceOf(GetDlgItem(dialog, OptionsDialog::kShortcutLabel)) == L"MS Sans Serif" &&
      GetDeviceCaps(vizmark::WindowDc(dialog).get(), LOGPIXELSY) == 96;
  {
    RECT client;
    GetClientRect(dialog, &client);
    if (designed_font) {
      EXPECT_EQ(client.right, 524);
      EXPECT_EQ(client.bottom, 444);
    }

    const struct {
      int id;
      const char* window_class;
      int left, top, width, height;
      std::string text;  // Windows-1250
      bool grows;        // a text's control: as wide as designed at least, as tall as its text
    } controls[] = {
        {OptionsDialog::kFrame, "Static", 0, 1, 524, 404, "", false},
        {OptionsDialog::kShortcutLabel, "Static", 24, 336, 233, 13,
         std::string("Skrót do filtru wyświetlającego nagłówek X-Face:"_cp1250), true},
        {OptionsDialog::kFacePicture, "Static", 468, 8, 48, 48, "", false},
        {OptionsDialog::kHomePageLabel, "Static", 8, 364, 274, 13,
         std::string("Więcej informacji na temat pluginu znajduje się na stronie: "_cp1250), true},
        {OptionsDialog::kHomePageLink, "Static", 288, 364, 106, 13, "https://vizmark.example.org/",
         true},
        {OptionsDialog::kAuthorLabel, "Static", 8, 384, 28, 13, "Autor:", true},
        {OptionsDialog::kAuthorLink, "Static", 48, 384, 148, 13,
         std::string("Zespół Vizmark <vizmark@example.org>"_cp1250), true},
        {OptionsDialog::kHeading, "Static", 8, 10, 352, 13,
         std::string("Aby plugin automatycznie wyświetlał nagłówki X-Face należy:"_cp1250), true},
        {OptionsDialog::kStep3, "Static", 8, 312, 463, 13,
         std::string("3. W okienku poniżej ustawić skrót klawiaturowy identyczny z tym, który "
                     "zdefiniowany jest dla filtru."_cp1250),
         true},
        {OptionsDialog::kShowColourFaces, "Button", 264, 384, 170, 13,
         "Pokazuj kolorowe twarze (Face)", true},
        {IDOK, "Button", 360, 412, 75, 25, "OK", false},
        {IDCANCEL, "Button", 440, 412, 75, 25, "Cancel", false},
        {OptionsDialog::kFaceMaker, "Button", 8, 412, 75, 25,
         std::string("Utwórz twarz z obrazka…"_cp1250), true},
        {OptionsDialog::kShortcutBox, "msctls_hotkey32", 264, 333, 169, 19, "", false},
        {OptionsDialog::kFilterDefinition, "Edit", 14, 152, 493, 148,
         "BeginFilter\r\nName: Display X-Face\r\nActive: 1\r\nMainSet: 10\r\n"
         "Actions: faExport,faoExportOver,faoManualOnly,faoHotKey,faoHotKeyOnly\r\n"
         "ExtFile: xface.txt\r\nHotKey: 57414\r\nSaveTemplate: %DisplayXFace\\0D\\0A\r\nEndFilter",
         false},
        {OptionsDialog::kNote, "Static", 8, 104, 497, 44,
         std::string(
             "Uwaga: Powyżej opisaną operację tworzenia filtru można zautomatyzować kopiując "
             "poniższy filtr. W tym celu należy zaznaczyć poniższy tekst, skopiować go do "
             "schowka, otworzyć okno filtrów i wkleić (Cltr+V) do filtrów poczty "
             "przeczytanej."_cp1250),
         true},
        {OptionsDialog::kStep1, "Static", 8, 32, 457, 33,
         std::string("1. Utworzyć filtr poczty przeczytanej. W filtrze tym, na zakładce operacje, "
                     "zaznaczyć \"Zapisz wiadomość do pliku\" i podać ścieżke do pliku."_cp1250),
         true},
        {OptionsDialog::kStep2, "Static", 8, 61, 457, 41,
         std::string("2. Otworzyć edytor szablonu usunąć z niego domyślną zawartość i wpisać "
                     "wywołanie makra %DisplayXFace. Na zakładce \"Opcje\" włączyć \"Uruchamianie "
                     "filtru za pomocą skrótu klawiszowego\" i zdefiniować skrót."_cp1250),
         true},
    };
    for (const auto& c : controls) {
      HWND control = GetDlgItem(dialog, c.id);
      if (control == nullptr) {
        ADD_FAILURE() << "no control " << c.id;
        continue;
      }
      EXPECT_EQ(_stricmp(ClassOf(control).c_str(), c.window_class), 0)
          << c.id << " " << ClassOf(control);
      RECT r;
      GetWindowRect(control, &r);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
      if (designed_font) {
        EXPECT_EQ(r.left, c.left) << c.id;
        EXPECT_EQ(r.top, c.top) << c.id;
        if (c.grows) {
          EXPECT_GE(r.right - r.left, c.width) << c.id;
        } else {
          EXPECT_EQ(r.right - r.left, c.width) << c.id;
          EXPECT_EQ(r.bottom - r.top, c.height) << c.id;
        }
      }
      if (!c.text.empty()) {
        EXPECT_EQ(TextOf(control), FromCp1250(c.text)) << c.id;
      }
    }
    EXPECT_EQ(TextOf(dialog), FromCp1250("Konfiguracja wtyczki Vizmark"));
    EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK,
              BS_DEFPUSHBUTTON);
    EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog, OptionsDialog::kFilterDefinition), GWL_STYLE) &
                ES_READONLY);
    // The shortcut entry comes first, then OK, Cancel and the filter text.
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    EXPECT_EQ(first, GetDlgItem(dialog, OptionsDialog::kShortcutBox));
    EXPECT_EQ(GetNextDlgTabItem(dialog, first, FALSE), GetDlgItem(dialog, IDOK));
  }
}

TEST_F(DialogTest, ShowsTheFormAsDesigned) {
  plugin_->Initialize();
  const int32_t result = Setup([](HWND dialog) {
    ExpectAsDesigned(dialog);
    Close(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, 0);
  plugin_->Finalize();
}

// In the font it was drawn for, where the system has it, the form looks as it always did.
TEST_F(DialogTest, ShowsTheFormInItsPlacesInMsSansSerifAt96Dpi) {
  OptionsDialog dialog(nullptr, {96, L"MS Sans Serif"});
  g_drive = [](HWND shown) {
    if (FontFaceOf(GetDlgItem(shown, OptionsDialog::kShortcutLabel)) != L"MS Sans Serif") {
      Close(shown, IDCANCEL);
      GTEST_SKIP() << "this system has no MS Sans Serif";
    }
    ExpectAsDesigned(shown);
    Close(shown, IDCANCEL);
  };
  const UINT_PTR driver = SetTimer(nullptr, 0, 50, &DriveDialog);
  EXPECT_EQ(dialog.ShowModal(), IDCANCEL);
  KillTimer(nullptr, driver);
}

TEST_F(DialogTest, AKeyWithoutModifiersBecomesShiftCtrlAltAndOkStoresIt) {
  plugin_->Initialize();  // no stored value: the entry starts empty
  const int32_t result = Setup([](HWND dialog) {
    HWND hot_key = GetDlgItem(dialog, OptionsDialog::kShortcutBox);
    EXPECT_EQ(SendMessageW(hot_key, HKM_GETHOTKEY, 0, 0), 0);
    constexpr BYTE kAll = HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT;
    const struct {
      BYTE key;
      std::initializer_list<BYTE> held;
      WORD entry;
    } cases[] = {
        {'G', {VK_CONTROL}, MAKEWORD('G', HOTKEYF_CONTROL)},  // allowed as typed
        {'G', {VK_SHIFT}, MAKEWORD('G', kAll)},               // Shift alone is refused
        {'F', {}, MAKEWORD('F', kAll)},                       // so is no modifier
    };
    for (const auto& c : cases) Type(dialog, c.key, c.held, c.entry);
    Close(dialog, IDOK);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(StoredShortcut(), "(none)");  // only shut-down writes the registry
  plugin_->Finalize();
  EXPECT_EQ(StoredShortcut(), "Shift+Ctrl+Alt+F");
}

// The colour faces' box shows the stored choice (on when none is stored); OK keeps what it
// shows, Cancel what was there, and the next shut-down stores it.
TEST_F(DialogTest, TheColourFacesBoxIsStoredOnOk) {
  const struct {
    int stored;  // -1: none
    bool click;
    int button;
    DWORD saved;
  } cases[] = {
      {-1, false, IDOK, 1}, {-1, true, IDOK, 0},    {0, true, IDOK, 1},
      {0, false, IDOK, 0},  {0, true, IDCANCEL, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.stored << " " << c.click << " " << c.button);
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    if (c.stored >= 0) {
      HKEY key = nullptr;
      ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &key, nullptr),
                ERROR_SUCCESS);
      vizmark::UniqueHkey owner(key);
      const DWORD value = static_cast<DWORD>(c.stored);
      RegSetValueExA(key, "Show Face", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                     sizeof value);
    }
    plugin_->Initialize();
    Setup([&c](HWND dialog) {
      HWND box = GetDlgItem(dialog, OptionsDialog::kShowColourFaces);
      EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), c.stored == 0 ? BST_UNCHECKED : BST_CHECKED);
      if (c.click) SendMessageW(box, BM_CLICK, 0, 0);
      Close(dialog, c.button);
    });
    plugin_->Finalize();
    DWORD saved = 7, size = sizeof saved;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, kKey, "Show Face", RRF_RT_REG_DWORD, nullptr, &saved,
                           &size),
              ERROR_SUCCESS);
    EXPECT_EQ(saved, c.saved);
  }
}

TEST_F(DialogTest, EnterConfirmsWhileEscapeAndTheCloseBoxCancel) {
  const struct {
    const char* how;
    std::function<void(HWND)> close;
    const char* stored;
  } cases[] = {
      // Left for the dialog's own loop, which turns them into its buttons.
      {"Enter", [](HWND dialog) { Press(dialog, VK_RETURN); }, "Alt+K"},
      {"Esc", [](HWND dialog) { Press(dialog, VK_ESCAPE); }, "Ctrl+F1"},
      {"close box", [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
       "Ctrl+F1"},
  };
  for (const auto& c : cases) {
    StoreShortcut("Ctrl+F1");
    plugin_->Initialize();
    bool closed = false;
    Setup([&](HWND dialog) {
      SendDlgItemMessageW(dialog, OptionsDialog::kShortcutBox, HKM_SETHOTKEY,
                          MAKEWORD('K', HOTKEYF_ALT), 0);
      c.close(dialog);
      closed = true;
    });
    plugin_->Finalize();
    EXPECT_TRUE(closed) << c.how;
    EXPECT_EQ(StoredShortcut(), c.stored) << c.how;
  }
}

// Keys that share a scan code, or a name in the keyboard layout, with another: entered as
// the shortcut entry reports them (with the extended-key flag where the key has it), kept
// over a restart, and shown again as entered. (Wine's entry itself never reports the flag.)
TEST_F(DialogTest, AShortcutIsShownAsEnteredAfterARestart) {
  constexpr BYTE kExt = HOTKEYF_CONTROL | HOTKEYF_EXT;
  const WORD entries[] = {
      MAKEWORD(VK_OEM_2, HOTKEYF_CONTROL),
      MAKEWORD(VK_MULTIPLY, HOTKEYF_CONTROL),
      MAKEWORD(VK_DIVIDE, kExt),
      MAKEWORD(VK_NUMPAD7, HOTKEYF_CONTROL),
      MAKEWORD(VK_INSERT, kExt),
      MAKEWORD(VK_HOME, kExt),
      MAKEWORD(VK_NEXT, kExt),
      MAKEWORD(VK_LEFT, kExt),
  };
  for (const WORD entry : entries) {
    plugin_->Initialize();
    Setup([&](HWND dialog) {
      SendDlgItemMessageW(dialog, OptionsDialog::kShortcutBox, HKM_SETHOTKEY, entry, 0);
      Close(dialog, IDOK);
    });
    plugin_->Finalize();
    plugin_->Initialize();
    Setup([&](HWND dialog) {
      EXPECT_EQ(SendDlgItemMessageW(dialog, OptionsDialog::kShortcutBox, HKM_GETHOTKEY, 0, 0),
                entry)
          << StoredShortcut();
      Close(dialog, IDCANCEL);
    });
    plugin_->Finalize();
  }
}

// Clicking the author's link has the shell open a mailto link: a handler of the test's own
// (in a classes key that stands for HKEY_CLASSES_ROOT in this process) writes what it got.
TEST_F(DialogTest, TheMailLinkArrivesAsPercentEncodedUtf8) {
  testsupport::TempDir dir;
  const std::string received = dir.File("link.txt");
  HKEY classes = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Vizmark test classes", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &classes, nullptr),
            ERROR_SUCCESS);
  vizmark::UniqueHkey classes_owner(classes);
  const std::string command = "cmd.exe /c echo %1> \"" + received + "\"";
  const std::string protocol = "URL:MailTo Protocol";
  ASSERT_EQ(RegSetKeyValueA(classes, "mailto", nullptr, REG_SZ, protocol.c_str(),
                            static_cast<DWORD>(protocol.size() + 1)),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetKeyValueA(classes, "mailto", "URL Protocol", REG_SZ, "", 1), ERROR_SUCCESS);
  ASSERT_EQ(RegSetKeyValueA(classes, "mailto\\shell\\open\\command", nullptr, REG_SZ,
                            command.c_str(), static_cast<DWORD>(command.size() + 1)),
            ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes), ERROR_SUCCESS);

  plugin_->Initialize();
  Setup([](HWND dialog) {
    HWND link = GetDlgItem(dialog, OptionsDialog::kAuthorLink);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(OptionsDialog::kAuthorLink, STN_CLICKED),
                 reinterpret_cast<LPARAM>(link));
    Close(dialog, IDCANCEL);
  });
  plugin_->Finalize();
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  RegDeleteTreeA(classes, nullptr);

  testsupport::PumpUntil(
      [&] { return testsupport::ReadFileBytes(received).find('\n') != std::string::npos; },
      testsupport::kPatience);
  EXPECT_EQ(testsupport::ReadFileBytes(received),
            "mailto:Zesp%C3%B3%C5%82%20Vizmark%20%3Cvizmark@example.org%3E\r\n");
}

TEST_F(DialogTest, ItsFontsGoWithIt) {
  plugin_->Initialize();
  std::vector<HGDIOBJ> fonts;
  Setup([&](HWND dialog) {
    // The plain, bold, underlined link and memo fonts.
    for (int control : {OptionsDialog::kShortcutLabel, OptionsDialog::kHeading,
                        OptionsDialog::kHomePageLink, OptionsDialog::kFilterDefinition}) {
      fonts.push_back(
          reinterpret_cast<HGDIOBJ>(SendDlgItemMessageW(dialog, control, WM_GETFONT, 0, 0)));
      EXPECT_EQ(GetObjectType(fonts.back()), static_cast<DWORD>(OBJ_FONT)) << control;
    }
    Close(dialog, IDCANCEL);
  });
  plugin_->Finalize();
  ASSERT_FALSE(fonts.empty());
  for (HGDIOBJ font : fonts) EXPECT_EQ(GetObjectType(font), 0u);
}

TEST_F(DialogTest, CancelKeepsTheShortcut) {
  StoreShortcut("Ctrl+F1");
  plugin_->Initialize();
  Setup([](HWND dialog) {
    HWND hot_key = GetDlgItem(dialog, OptionsDialog::kShortcutBox);
    EXPECT_EQ(SendMessageW(hot_key, HKM_GETHOTKEY, 0, 0), MAKEWORD(VK_F1, HOTKEYF_CONTROL));
    Type(dialog, 'G', {}, MAKEWORD('G', HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT));
    Close(dialog, IDCANCEL);
  });
  plugin_->Finalize();
  EXPECT_EQ(StoredShortcut(), "Ctrl+F1");
}

// The list asks for a replay while the user types a shortcut into the dialog: nothing is
// typed into the dialog, and the replay reaches the host's window once it is back in front,
// with the shortcut the dialog stored.
TEST_F(DialogTest, AReplayWaitsUntilTheDialogIsClosed) {
  StoreShortcut("Ctrl+F1");
  const testsupport::ImageRange dll = testsupport::ImageOf(plugin_->handle());
  hostsim::HostState state;
  hostsim::HostWindows host(&state, plugin_.get());
  host.SetFilter(0xE047, "%DisplayXFace");  // Shift+Ctrl+Alt+G, as the user will enter it
  ASSERT_TRUE(testsupport::BringToFront(host.main(), host.list()));
  plugin_->Initialize();
  // Attached, and the start-up replay (Ctrl+F1, which runs nothing here) sent.
  ASSERT_TRUE(testsupport::PumpUntil(
      [&] {
        return testsupport::Subclassed(host.list()) &&
               testsupport::RunningThreadsStartedIn(dll) == 0;
      },
      testsupport::kPatience));
  constexpr WORD kTyped = MAKEWORD('G', HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT);
  Setup([&](HWND dialog) {
    Type(dialog, 'G', {}, kTyped);
    SendMessageW(host.list(), WM_TIMER, hostsim::HostWindows::kFilterTimer, 0);
    testsupport::PumpUntil([] { return false; }, 500);
    EXPECT_EQ(SendDlgItemMessageW(dialog, OptionsDialog::kShortcutBox, HKM_GETHOTKEY, 0, 0),
              kTyped);
    Close(dialog, IDOK);
  });
  EXPECT_TRUE(host.filter_runs().empty());
  ASSERT_TRUE(testsupport::BringToFront(host.main(), host.list()));
  ASSERT_TRUE(testsupport::PumpUntil(
      [&] { return !host.filter_runs().empty() && testsupport::RunningThreadsStartedIn(dll) == 0; },
      testsupport::kPatience));
  testsupport::PumpUntilIdle(testsupport::kPatience);
  EXPECT_EQ(host.filter_runs().size(), 1u);
  plugin_->Finalize();
  EXPECT_EQ(StoredShortcut(), "Shift+Ctrl+Alt+G");
}

// The host's main window goes and comes back (as a form's window is made again): the dialog
// is modal to the new one, which is disabled under it and enabled again after it.
TEST_F(DialogTest, IsModalToTheHostsMainWindowMadeAgain) {
  hostsim::HostState host;
  auto windows = std::make_unique<HostWindows>(&host, plugin_.get());
  plugin_->Initialize();
  // The attaching thread has found the first main window once the panel carries ours.
  ASSERT_TRUE(testsupport::PumpUntil([&] { return testsupport::Subclassed(windows->header()); },
                                     testsupport::kPatience));
  windows.reset();
  windows = std::make_unique<HostWindows>(&host, plugin_.get());
  const int32_t result = Setup([&](HWND dialog) {
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), windows->main());
    EXPECT_FALSE(IsWindowEnabled(windows->main()));
    Close(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(IsWindowEnabled(windows->main()));
  plugin_->Finalize();
}

// On a screen of a small notebook's size, 1024 x 600 pixels. CTest runs this test alone on
// an X server of that size, with a Wine of its own (a desktop's size is its wineserver's),
// and says so in $VIZMARK_SMALL_SCREEN; on other screens it has nothing to show.
TEST_F(DialogTest, OpensCentredAndWhollyInsideTheWorkAreaOfASmallScreen) {
  const bool small = GetSystemMetrics(SM_CXSCREEN) == 1024 && GetSystemMetrics(SM_CYSCREEN) == 600;
  if (GetEnvironmentVariableA("VIZMARK_SMALL_SCREEN", nullptr, 0) == 0 && !small)
    GTEST_SKIP() << "run on a screen of 1024 x 600 pixels";
  ASSERT_TRUE(small) << GetSystemMetrics(SM_CXSCREEN) << " x " << GetSystemMetrics(SM_CYSCREEN);
  hostsim::HostState host;
  HostWindows windows(&host, plugin_.get());
  plugin_->Initialize();
  Setup([&](HWND dialog) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(
        GetMonitorInfoW(MonitorFromWindow(windows.main(), MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& work = monitor.rcWork;
    RECT frame{};
    GetWindowRect(dialog, &frame);
    EXPECT_GE(frame.left, work.left);
    EXPECT_GE(frame.top, work.top);
    EXPECT_LE(frame.right, work.right);
    EXPECT_LE(frame.bottom, work.bottom);
    EXPECT_NEAR(frame.left + frame.right, work.left + work.right, 1);
    EXPECT_NEAR(frame.top + frame.bottom, work.top + work.bottom, 1);
    Close(dialog, IDCANCEL);
  });
  plugin_->Finalize();
}

// A second dialog would hold the thread in a loop of its own: it is closed as a failure.
void CALLBACK CloseASecondDialog(HWND, UINT, UINT_PTR, DWORD) {
  const std::vector<HWND> dialogs = FindDialogs();
  if (dialogs.size() < 2) return;
  ADD_FAILURE() << "a second dialog was opened";
  for (HWND dialog : dialogs) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

// The host asks for the options again while they are open (its procedures run inside the
// dialog's loop): the open dialog comes to the front, and no second one opens.
TEST_F(DialogTest, ASecondSetupBringsTheOpenDialogForward) {
  hostsim::HostState host;
  HostWindows windows(&host, plugin_.get());
  plugin_->Initialize();
  const int32_t result = Setup([&](HWND dialog) {
    vizmark::UniqueHandleOf<HWND, &DestroyWindow> other(
        CreateWindowExW(0, L"STATIC", L"another window", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(testsupport::BringToFront(other.get()));
    const UINT_PTR watch = SetTimer(nullptr, 0, 100, &CloseASecondDialog);
    EXPECT_EQ(plugin_->Setup(), 0);
    KillTimer(nullptr, watch);
    EXPECT_TRUE(testsupport::PumpUntil([&] { return GetForegroundWindow() == dialog; },
                                       testsupport::kPatience));
    EXPECT_EQ(FindDialogs().size(), 1u);
    Close(dialog, IDCANCEL);
  });
  EXPECT_EQ(result, 0);
  plugin_->Finalize();
}

// The host removes the plug-in while the dialog is open, from inside the dialog's loop:
// TBP_Finalize closes it, the host's window works again, and unloading the module then does
// not pull the code of the TBP_Setup that is still on the stack from under it.
TEST_F(DialogTest, FinalizeClosesTheOpenDialogAndTheModuleMayGo) {
  hostsim::HostState host;
  HostWindows windows(&host, plugin_.get());
  plugin_->Initialize();
  HWND shown = nullptr;
  const int32_t result = Setup([&](HWND dialog) {
    shown = dialog;
    plugin_->Finalize();
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_TRUE(IsWindowEnabled(windows.main()));
    if (IsWindowVisible(dialog))
      Close(dialog, IDCANCEL);
    else
      plugin_->Unload();
  });
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(IsWindow(shown));
  EXPECT_TRUE(testsupport::HostWindowsWork(windows));
}

// The controls as laid out: every two visible ones apart (the frame around them all aside),
// each inside the client area, and every static text within its control as the control
// draws it.
struct PlacedControl {
  int id;
  RECT rect;
};

BOOL CALLBACK CollectControl(HWND control, LPARAM param) {
  if (!IsWindowVisible(control) || GetDlgCtrlID(control) == OptionsDialog::kFrame) return TRUE;
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  reinterpret_cast<std::vector<PlacedControl>*>(param)->push_back({GetDlgCtrlID(control), rect});
  return TRUE;
}

void ExpectLaidOut(HWND dialog, const std::string& look) {
  std::vector<PlacedControl> controls;
  EnumChildWindows(dialog, &CollectControl, reinterpret_cast<LPARAM>(&controls));
  EXPECT_EQ(controls.size(), 17u) << look;
  RECT client{};
  GetClientRect(dialog, &client);
  for (size_t i = 0; i < controls.size(); ++i) {
    const PlacedControl& a = controls[i];
    RECT inside{};
    IntersectRect(&inside, &a.rect, &client);
    EXPECT_TRUE(EqualRect(&inside, &a.rect)) << look << ": control " << a.id << " sticks out";
    for (size_t j = i + 1; j < controls.size(); ++j) {
      RECT common{};
      EXPECT_FALSE(IntersectRect(&common, &a.rect, &controls[j].rect))
          << look << ": controls " << a.id << " and " << controls[j].id << " overlap";
    }
    HWND control = GetDlgItem(dialog, a.id);
    const auto style = GetWindowLongPtrW(control, GWL_STYLE);
    if (ClassOf(control) != "Static" || (style & SS_TYPEMASK) == SS_OWNERDRAW) continue;
    const std::wstring text = TextOf(control);
    vizmark::UniqueHdc dc(CreateCompatibleDC(nullptr));
    vizmark::SelectedObject font(
        dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    const LONG width = a.rect.right - a.rect.left, height = a.rect.bottom - a.rect.top;
    SIZE extent{};
    if ((style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP) {
      GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    } else {
      RECT drawn = {0, 0, width, 0};
      DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &drawn,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
      extent = {drawn.right, drawn.bottom};
    }
    EXPECT_LE(extent.cx, width) << look << ": the text of " << a.id << " is wider";
    EXPECT_LE(extent.cy, height) << look << ": the text of " << a.id << " is taller";
  }
}

// As TBP_Setup shows it, in this system's font at this screen's pixels per inch.
TEST_F(DialogTest, NoControlOverlapsAnotherAndEveryTextFits) {
  plugin_->Initialize();
  Setup([](HWND dialog) {
    ExpectLaidOut(dialog, "as shown");
    Close(dialog, IDCANCEL);
  });
  plugin_->Finalize();
}

// The same in the system's message font and in MS Sans Serif (where the system has it), at
// 96, 120, 144 and 192 pixels an inch: the fonts sized as Windows sizes them there.
TEST_F(DialogTest, NoControlOverlapsAnotherAndEveryTextFitsInAnyFontAtAnyDpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  const std::wstring faces[] = {metrics.lfMessageFont.lfFaceName, L"MS Sans Serif"};
  for (const std::wstring& face : faces) {
    for (const int dpi : {96, 120, 144, 192}) {
      const std::string look = std::string(face.begin(), face.end()) + " " + std::to_string(dpi);
      OptionsDialog dialog(nullptr, {dpi, face});
      g_drive = [&](HWND shown) {
        ExpectLaidOut(shown, look);
        Close(shown, IDCANCEL);
      };
      const UINT_PTR driver = SetTimer(nullptr, 0, 50, &DriveDialog);
      EXPECT_EQ(dialog.ShowModal(), IDCANCEL) << look;
      KillTimer(nullptr, driver);
    }
  }
}

}  // namespace
