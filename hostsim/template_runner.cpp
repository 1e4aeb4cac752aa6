#include "hostsim/template_runner.h"

#include <cctype>
#include <vector>

#include "hostsim/context_object.h"

namespace hostsim {

namespace {

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

void SkipBlanks(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
}

// Parses ("a", "b") at `pos`; on success moves `pos` past the closing parenthesis.
bool ParseArguments(std::string_view text, std::size_t& pos, std::vector<std::string>& args) {
  std::size_t p = pos;
  if (p >= text.size() || text[p] != '(') return false;
  ++p;
  SkipBlanks(text, p);
  if (p < text.size() && text[p] == ')') {
    pos = p + 1;
    return true;
  }
  for (;;) {
    if (p >= text.size() || text[p] != '"') return false;
    std::string arg;
    for (++p;; ++p) {
      if (p >= text.size()) return false;
      if (text[p] == '"') {
        if (p + 1 < text.size() && text[p + 1] == '"') {
          arg.push_back('"');
          ++p;
          continue;
        }
        ++p;
        break;
      }
      arg.push_back(text[p]);
    }
    args.push_back(std::move(arg));
    SkipBlanks(text, p);
    if (p < text.size() && text[p] == ')') {
      pos = p + 1;
      return true;
    }
    if (p >= text.size() || text[p] != ',') return false;
    ++p;
    SkipBlanks(text, p);
  }
}

}  // namespace

std::string RunTemplate(const PluginModule& plugin, HostState& host, std::string_view text) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] != '%' || pos + 1 >= text.size() || !IsNameChar(text[pos + 1])) {
      out.push_back(text[pos++]);
      continue;
    }
    const std::size_t start = pos;
    std::size_t end = pos + 1;
    while (end < text.size() && IsNameChar(text[end])) ++end;
    const std::string name(text.substr(start + 1, end - start - 1));
    std::vector<std::string> args;
    std::size_t after = end;
    if (!ParseArguments(text, after, args)) after = end;

    ContextObject context(&host);
    ContextObject params(&host, std::move(args));
    const int32_t code =
        plugin.ExecMacro(name.c_str(), static_cast<int32_t>(name.size()), &context, &params);
    if (code == 0) {
      out.append(context.items.empty() ? std::string() : context.items[0]);
      pos = after;
    } else {
      out.append(text.substr(start, end - start));
      pos = end;
    }
  }
  return out;
}

}  // namespace hostsim
