// Runs a template the way the mail client does for the plug-in's macros.
#pragma once

#include <string>
#include <string_view>

#include "hostsim/host_state.h"
#include "hostsim/plugin_module.h"

namespace hostsim {

// Every %Name or %Name("arg", ...) in `text` goes to the plug-in's TBP_ExecMacro with a
// context object and a parameter object holding the arguments (doubled quotes inside an
// argument stand for one). Where the plug-in answers 0 the call is replaced by item 0 of
// the context object; anything else is copied unchanged.
std::string RunTemplate(const PluginModule& plugin, HostState& host, std::string_view text);

}  // namespace hostsim
