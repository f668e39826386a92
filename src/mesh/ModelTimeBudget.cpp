#include "mesh/ModelTimeBudget.h"

#include <cmath>
#include <cstdlib>

namespace wobble {

namespace {

double Megabytes(uintmax_t bytes) {
    return static_cast<double>(bytes) / (1u << 20);
}

std::string Formula(double base, double perMegabyte) {
    return std::to_string(std::lround(base)) + " s plus " +
           std::to_string(std::lround(perMegabyte)) + " s per MB";
}

}  // namespace

double ModelTimeBudget::ImportSeconds(uintmax_t bytes, std::string* warning) {
    const double formula = kImportBaseSeconds + kImportSecondsPerMegabyte * Megabytes(bytes);
    const char* given = std::getenv(kImportVariable);
    if (given == nullptr)
        return formula;
    char* end = nullptr;
    const double seconds = std::strtod(given, &end);
    if (end != given && *end == '\0' && std::isfinite(seconds) && seconds > 0.0 && seconds < 1e6)
        return seconds;
    if (warning != nullptr) {
        *warning = std::string(kImportVariable) + " '" + given +
                   "' is not a number of seconds; the import's budget stays " + ImportText();
    }
    return formula;
}

double ModelTimeBudget::BuildSeconds(uintmax_t bytes) {
    return ImportSeconds(bytes) + kLaterStagesBaseSeconds +
           kLaterStagesSecondsPerMegabyte * Megabytes(bytes);
}

std::string ModelTimeBudget::ImportText() {
    return Formula(kImportBaseSeconds, kImportSecondsPerMegabyte);
}

std::string ModelTimeBudget::BuildText() {
    return Formula(kImportBaseSeconds + kLaterStagesBaseSeconds,
                   kImportSecondsPerMegabyte + kLaterStagesSecondsPerMegabyte);
}

}  // namespace wobble
