#include "macros/macros.h"

namespace vizmark {

// Constant-initialised: the table is complete before any code of the module runs.
constinit const std::array<MacroEntry, 3> kMacroTable = {{
    {"DisplayXFace", &DisplayXFaceHandler},
    {"SetXFace", &SetXFaceHandler},
    {"XFaceVersion", &XFaceVersionHandler},
}};

}  // namespace vizmark
