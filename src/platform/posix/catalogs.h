// The Linux mode's texts in the user's language, from the program's gettext catalogs.
#pragma once

#include <string>
#include <string_view>

// Takes the language (LC_MESSAGES) and charset (LC_CTYPE) of the user's locale and opens the
// catalogs: the installed ones, or the build folder's where the installed ones are missing, so
// that the program runs in the user's language before it is installed. Their texts are UTF-8.
void OpenMessageCatalogs();

// The text of the user's language for the program's English text `english`: the catalog's, or
// `english` itself where the catalog has none (and in every English locale).
std::string TranslateText(std::string_view english);
