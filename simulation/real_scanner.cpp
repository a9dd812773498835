#include "real_scanner.h"

#include <locale.h>
#include <clocale>
#include <cstdlib>

double ConvertRealToken(const std::string& token) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return strtod_l(token.c_str(), nullptr, cLocale);
}
