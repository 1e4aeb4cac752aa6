#include "plugin/info_text.h"

#include <initializer_list>
#include <string_view>

#include "base/cp1250.h"
#include "base/identity.h"

namespace vizmark {

namespace {

// The macro descriptions, as the user reads them in the host's plug-in list.
constexpr std::string_view kBodyPieces[] = {
    R"x(<h4>Opis</h4>Wtyczka dodaje do programu The Bat! nowe makra do wstawiania i wyświetlania nagłówka X-Face. )x"_cp1250,
    R"x(<h4>Makra:</h4> )x"_cp1250,
    R"x(<h5>%SetXFace("Path\to\48x48x1\bmp_file\with\your_face_image.bmp")</h5> lub<h5>%SetXFace("Path\to\txt_file\with\your_face_header.txt")</h5> Makro wstawia do wysyłanego e-maila nagłówek X-Face. Jako parametr należy podać ścieżkę  do pliku z bitmapą czarno-białą o wymiarach 48x48 pikseli lub ścieżkę do pliku tekstowego zawierającego kod nagłówka x-face (bez "X-Face: "). Plik graficzny zostanie przekonwertowany na nagłówek X-Face i wstawiony do wiadomości. Wcześniej <b> należy w programie The Bat! dodać nagłówek X-Face</b> (Opcje/Konfiguracja/Nagłówki/Dodaj...). )x"_cp1250,
    R"x(<h5>%DisplayXFace</h5> Makro odczytuje nagłówek X-Face listu i jeśli nagłówek ten występuje wyświetla obrazek na panelu nagłówków okna podglądu wiadomości. <p><b>Aby wyświetlać nagłówek należy utworzyć filtr poczty przeczytanej</b>. W filtrze tym, na zakładce operacje, zaznaczamy "Zapisz wiadomość do pliku" i podajemy ścieżke do pliku. Następnie otwieramy edytor szablonu usuwamy z niego domyślną zawartość i wpisujemy wywołanie makra %DisplayXFace. Na zakładce "Opcje" włączamy "Uruchamianie filtru za pomocą skrótu klawiszowego" i definiujemy skrót. <br>Aby filtr był automatycznie uruchamiany podczas przechodzenia do nowej wiadomości należy w opcjach wtyczki ustawić <u>ten sam skrót klawiszowy, który został zdefiniowany dla filtra</u>.</p><br>)x"_cp1250,
    R"x(<h5>%XFaceVersion</h5> Makro zwraca nazwę i numer wersji pluginu. <br></body></html>)x"_cp1250,
};

}  // namespace

std::string BuildInfoText() {
  std::string text;
  text.reserve(2048);
  const auto append = [&text](std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts) text.append(part);
  };
  append({"<html><body><h2>", kDisplayName, "  ", kVersion, "</h2>"});
  append({"<br>Autor: <b>", kAuthorName, "</b> &lt;<a href=\"mailto:", kAuthorEmail, "\">",
          kAuthorEmail, "</a>&gt;"});
  append({"<br>Strona: <a href=\"", kHomePage, "\">", kHomePage, "</a>"});
  append({"<br><br>(English guide is available from main <a href=\"", kEnglishHomePage,
          "\">home page</a>)<hr><br>"});
  for (std::string_view piece : kBodyPieces) text.append(piece);
  return text;
}

}  // namespace vizmark
