// What the viewer tells a user on the terminal when a model cannot be shown
// or a screenshot cannot be saved: the cause first, in a user's words, then
// the failure records of the engine's log.
#pragma once

#include "vieweroptions.h"

#include <stdint.h>
#include <string>
#include <vector>

// What is wrong with the model file itself, found without the engine:
// "cannot open F: <reason>", "F is a directory", "F is empty", or for a
// 3D Studio file "F is not a 3D Studio file"; empty when none of these is.
std::string LoadProblem(const std::string& file, ModelKind kind);

// Why `path` cannot take a screenshot ("cannot write the screenshot P:
// <reason>"), or, when it can be opened, that the save failed for another
// reason. A file the check had to create is removed again.
std::string ScreenshotProblem(const std::string& path);

// The Error and Warning records of a log's text, each with its source line,
// without the blank lines around them.
std::string FailureRecords(const std::string& log);

// The names of a Cal3D configuration's animations, in the engine's order:
// each "animation=" line's file name without folder and extension. Empty
// when the file cannot be read.
std::vector<std::string> AnimationNames(const std::string& configuration);

// "F has N animations, 0 to N-1: 0 idle, 1 walk, ...; --anim A is none of
// them" (the names when there is one per animation).
std::string AnimationRangeProblem(const std::string& file, uint32_t asked, uint32_t count,
                                  const std::vector<std::string>& names);

// The animation --anim asks for among the model's `names`, by number or by
// name (as the model names it, or that name without folder and extension):
// true with its index, or false with what to tell the user.
bool ChooseAnimation(const std::string& file, const ViewerOptions& options, const std::vector<std::string>& names,
                     uint32_t& index, std::string& problem);

// The animation the N key plays next: the one after `current`, round to the
// first, or the first when none plays. `count` must not be 0.
uint32_t NextAnimation(bool playing, uint32_t current, uint32_t count);
