#pragma once
// How long making a scene of a model file may take. wobble-scene bounds its
// import of the file by ImportTimeBudget, and the program ends a wobble-scene
// child that runs past BuildTimeBudget; both come from here so that the
// program never gives up before the builder has had its say.
//
// Both grow with the file. Sound models are read at a megabyte a second or
// (much) faster, the slowest formats included, so the budgets are about ten
// times what a real file needs, while a damaged file that sends the import
// library round in circles is stopped in seconds rather than minutes.

#include <cstdint>
#include <string>

namespace wobble {

struct ModelTimeBudget {
    // Reading the model: the base plus so much per megabyte (2^20 bytes) of the file.
    static constexpr double kImportBaseSeconds = 10.0;
    static constexpr double kImportSecondsPerMegabyte = 2.0;
    // The stages after reading (the cage, the tetrahedra, the stability
    // check, the writing) on top of the import's budget: the check takes a
    // fixed number of steps, the cage grows with the triangles.
    static constexpr double kLaterStagesBaseSeconds = 60.0;
    static constexpr double kLaterStagesSecondsPerMegabyte = 2.0;
    // Sets the import's budget in seconds instead of the formula (tests use a
    // short one); the later stages' margin still comes on top of it.
    static constexpr const char* kImportVariable = "WOBBLE_IMPORT_TIME_LIMIT";

    // Seconds for reading a model file of `bytes`: kImportVariable when it is
    // set to a number of seconds, else the formula. A value that is not a
    // number of seconds is passed over, and `warning` (when given) says so.
    static double ImportSeconds(uintmax_t bytes, std::string* warning = nullptr);
    // Seconds for the whole build of a model file of `bytes`.
    static double BuildSeconds(uintmax_t bytes);

    // The formulas for usage texts: "10 s plus 2 s per MB".
    static std::string ImportText();
    static std::string BuildText();
};

}  // namespace wobble
