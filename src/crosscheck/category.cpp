#include "crosscheck/category.h"

#include <algorithm>
#include <iterator>

#include "crosscheck/glossary.h"
#include "engine/contest.h"
#include "logfile/text.h"

namespace torv::crosscheck {

namespace contest = engine::contest;
using calendar::lowerCase;
using calendar::upperCase;
using logfile::blankSeparated;
using logfile::isDigit;
using logfile::trimmed;

namespace {

template <typename List>
int placeIn(const List& list, std::string_view value) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (value == std::string_view(list[i])) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The places of ALL and of the contest bands, in the order of kBands.
int bandPlace(const std::string& band) {
    if (band == contest::kAllBandsCategory) {
        return 0;
    }
    const std::string lower = lowerCase(band);
    if (!contest::isCountedBand(lower)) {
        return -1;
    }
    return 1 + placeIn(contest::kBands, lower);
}

int operatorPlace(const std::string& value) {
    for (size_t i = 0; i < contest::kOperatorCategoryItems.size(); ++i) {
        if (trimmed(contest::kOperatorCategoryItems[i]) == value) {
            return static_cast<int>(i);
        }
    }
    return value == contest::kMultiOperatorCategory ? static_cast<int>(contest::kOperatorCategoryItems.size()) : -1;
}

// The words of each value, by its place (categoryPlace), in English and in
// Portuguese; a band's words are made from its name ("40M": "40 m").
struct ValueWords {
    std::string_view english;
    std::string_view portuguese;
};
constexpr ValueWords kOperatorWords[] = {
    {"Single operator A", "Monooperador A"},
    {"Single operator B", "Monooperador B"},
    {"Single operator C", "Monooperador C"},
    {"YL", "YL"},
    {"Groups", "Grupos"},
    {"Military station OM", "Estação militar OM"},
    {"Military station, single operator", "Estação militar monooperador"},
    {"QRP", "QRP"},
    {"Checklog", "Log de controle"},
    {"Multi-operator", "Multioperador"},
};
static_assert(std::size(kOperatorWords) == contest::kOperatorCategoryItems.size() + 1, "one per operator category");
constexpr ValueWords kAllBandsWords = {"all bands", "todas as bandas"};
constexpr ValueWords kPowerWords[] = {
    {"high power", "alta potência"}, {"low power", "baixa potência"}, {"QRP power", "potência QRP"}};
static_assert(std::size(kPowerWords) == contest::kPowerCategories.size(), "one per power category");
constexpr ValueWords kModeWords[] = {{"CW", "CW"}, {"SSB", "SSB"}, {"mixed mode", "modo misto"}};
static_assert(std::size(kModeWords) == contest::kModeCategories.size(), "one per mode category");
// A part the category lacks, by CategoryPart.
constexpr ValueWords kNotGivenWords[] = {{"operator category not given", "categoria de operador não informada"},
                                         {"band not given", "banda não informada"},
                                         {"power not given", "potência não informada"},
                                         {"mode not given", "modo não informado"}};
static_assert(std::size(kNotGivenWords) == kCategoryParts, "one per part");

std::string wordsIn(const ValueWords& words, Language language) {
    return std::string(language == Language::kPortuguese ? words.portuguese : words.english);
}

}  // namespace

std::string categoryValueWords(CategoryPart part, const std::string& value, Language language) {
    const int place = categoryPlace(part, value);
    if (place < 0) {
        return std::string();
    }
    switch (part) {
        case CategoryPart::kOperator:
            return wordsIn(kOperatorWords[place], language);
        case CategoryPart::kBand:
            // "40M" is "40 m".
            return place == 0 ? wordsIn(kAllBandsWords, language) : value.substr(0, value.size() - 1) + " m";
        case CategoryPart::kPower:
            return wordsIn(kPowerWords[place], language);
        case CategoryPart::kMode:
            return wordsIn(kModeWords[place], language);
    }
    return std::string();
}

std::string categoryTitle(const Category& category, Language language, const CategoryParts& shown) {
    std::string title;
    for (size_t p = 0; p < kCategoryParts; ++p) {
        if (!shown[p]) {
            continue;
        }
        std::string words = categoryValueWords(static_cast<CategoryPart>(p), category.parts[p], language);
        title += (title.empty() ? "" : " \xC2\xB7 ") + (words.empty() ? wordsIn(kNotGivenWords[p], language) : words);
    }
    if (!title.empty() && title[0] >= 'a' && title[0] <= 'z') {
        title[0] = static_cast<char>(title[0] - 'a' + 'A');
    }
    return title;
}

std::string categoryText(std::string_view written) {
    std::string text;
    for (std::string_view word : blankSeparated(written)) {
        text += (text.empty() ? "" : " ") + upperCase(word);
    }
    return text;
}

int categoryPlace(CategoryPart part, const std::string& value) {
    switch (part) {
        case CategoryPart::kOperator:
            return operatorPlace(value);
        case CategoryPart::kBand:
            return bandPlace(value);
        case CategoryPart::kPower:
            return placeIn(contest::kPowerCategories, value);
        case CategoryPart::kMode:
            return placeIn(contest::kModeCategories, value);
    }
    return -1;
}

std::vector<std::string> categoryValues(CategoryPart part) {
    std::vector<std::string> values;
    switch (part) {
        case CategoryPart::kOperator:
            for (const char* item : contest::kOperatorCategoryItems) {
                values.emplace_back(trimmed(item));
            }
            values.emplace_back(contest::kMultiOperatorCategory);
            break;
        case CategoryPart::kBand:
            values.emplace_back(contest::kAllBandsCategory);
            for (const char* band : contest::kBands) {
                if (contest::isCountedBand(band)) {
                    values.push_back(upperCase(band));
                }
            }
            break;
        case CategoryPart::kPower:
            values.assign(contest::kPowerCategories.begin(), contest::kPowerCategories.end());
            break;
        case CategoryPart::kMode:
            values.assign(contest::kModeCategories.begin(), contest::kModeCategories.end());
            break;
    }
    return values;
}

bool namesBand(const std::string& band) {
    // A value that starts with a digit names a band ("160M", "70CM", "1.2G", "432").
    return !band.empty() && isDigit(band[0]);
}

bool namesOtherBand(const std::string& band) {
    return namesBand(band) && bandPlace(band) < 0;
}

std::string singleBandOf(const Category& category) {
    const std::string& band = category.part(CategoryPart::kBand);
    return bandPlace(band) > 0 ? lowerCase(band) : std::string();
}

bool isCheckLog(const Category& category) {
    return category.part(CategoryPart::kOperator) == contest::kCheckLogCategory;
}

CategoryStanding standingOf(const Category& category) {
    if (namesOtherBand(category.part(CategoryPart::kBand))) {
        return CategoryStanding::kOtherBand;
    }
    for (size_t p = 0; p < kCategoryParts; ++p) {
        if (categoryPlace(static_cast<CategoryPart>(p), category.parts[p]) >= 0) {
            return CategoryStanding::kRanked;
        }
    }
    return CategoryStanding::kNone;
}

CategoryKey categoryKey(const Category& category) {
    CategoryKey key{};
    if (standingOf(category) != CategoryStanding::kRanked) {
        key[0] = 1;
        return key;
    }
    for (size_t p = 0; p < kCategoryParts; ++p) {
        const int place = categoryPlace(static_cast<CategoryPart>(p), category.parts[p]);
        key[p + 1] = place < 0 ? 1 << 20 : place;
    }
    return key;
}

}  // namespace torv::crosscheck
