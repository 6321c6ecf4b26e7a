#include "crosscheck/category.h"

#include <algorithm>

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

}  // namespace

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
