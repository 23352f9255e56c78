// gettext behind two calls: opening the catalogs and looking a text up.
#include "platform/posix/catalogs.h"

#include <libintl.h>
#include <unistd.h>

#include <clocale>
#include <string>

namespace {

constexpr char kTextDomain[] = "quovrel";

// The installed catalogs' folder, unless it lacks the catalog of the one language shipped: the
// program then runs from its build folder, whose catalogs are found there.
const char* CatalogFolder() {
  const std::string installed = std::string(QUOVREL_LOCALE_DIR) + "/ja/LC_MESSAGES/quovrel.mo";
  return access(installed.c_str(), R_OK) == 0 ? QUOVREL_LOCALE_DIR : QUOVREL_BUILD_LOCALE_DIR;
}

}  // namespace

void OpenMessageCatalogs() {
  // The system's own messages (strerror) follow the language too, in the locale's charset.
  setlocale(LC_CTYPE, "");
  setlocale(LC_MESSAGES, "");
  bindtextdomain(kTextDomain, CatalogFolder());
  bind_textdomain_codeset(kTextDomain, "UTF-8");
}

std::string TranslateText(std::string_view english) {
  const std::string key(english);
  return dgettext(kTextDomain, key.c_str());
}
