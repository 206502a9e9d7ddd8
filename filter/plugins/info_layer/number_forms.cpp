#include "filter/plugins/info_layer/number_forms.h"

#include <cmath>

namespace tl {
namespace {

std::wstring Unsigned(std::uint64_t value) { return std::to_wstring(value); }

// "%03d" for 0..999.
std::wstring ThreeDigits(std::uint64_t value) {
    std::wstring text = std::to_wstring(value);
    return std::wstring(text.size() < 3 ? 3 - text.size() : 0, L'0') + text;
}

}  // namespace

std::wstring GroupedInteger(std::int64_t value) {
    // The magnitude as unsigned, so the most negative value works too.
    std::uint64_t rest = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::wstring groups;
    for (; rest >= 1000; rest /= 1000) groups = L"." + ThreeDigits(rest % 1000) + groups;
    return (value < 0 ? L"-" : L"") + Unsigned(rest) + groups;
}

std::wstring DecimalForm(double value) {
    const double magnitude = std::fabs(value);
    double whole = std::floor(magnitude);
    auto thousandths = static_cast<std::uint64_t>((magnitude - whole) * 1000.0 + 0.5);
    if (thousandths >= 1000) {
        whole += 1;
        thousandths = 0;
    }
    std::wstring text = (value < 0 ? L"-" : L"") + Unsigned(static_cast<std::uint64_t>(whole));
    if (thousandths >= 1) text += L"." + ThreeDigits(thousandths);
    return text;
}

std::wstring DurationForm(std::int64_t units, const wchar_t* minus) {
    constexpr std::uint64_t kSecond = 10000000, kMillisecond = 10000;
    const struct {
        std::uint64_t size;
        const wchar_t* unit;
    } parts[] = {{864000000000, L" days "}, {36000000000, L" hrs "}, {600000000, L" mins "}};
    std::wstring text = units < 0 ? minus : L"";
    std::uint64_t rest = units < 0 ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    for (const auto& part : parts) {
        if (rest < part.size) continue;
        text += Unsigned(rest / part.size) + part.unit;
        rest %= part.size;
    }
    return text + Unsigned(rest / kSecond) + L"." + ThreeDigits(rest % kSecond / kMillisecond) + L" sec";
}

}  // namespace tl
