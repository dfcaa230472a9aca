#include "cli/options.hpp"

#include <fmt/format.h>

#include "frontend/telvo.hpp"

namespace marvolt {

namespace {

// The option of `syntax` that `arg` spells, or null: a Value option by the
// beginning of the argument, any other by the whole of it.
const Option* optionOf(const CommandSyntax& syntax, const std::string& arg) {
  for (const Option& option : syntax.options) {
    if (option.offered != nullptr && !option.offered()) continue;
    const bool matches = option.argument == Argument::Value ? arg.starts_with(option.spelling)
                                                            : arg == option.spelling;
    if (matches) return &option;
  }
  return nullptr;
}

// The earliest path of the table still awaiting its argument, or null.
PendingPath* awaitingPath(ParsedArguments& parsed) {
  for (auto& [key, path] : parsed.paths) {
    if (path.awaiting()) return &path;
  }
  return nullptr;
}

// The complaint about the invalid argument `arg`.
std::string invalidOption(const std::string& arg) {
  const FmtArg list[] = {FmtArg(arg)};
  return formatLang("invalid option '%s'", list);
}

// Reads the option `option` spelled by `arg`; false ends the reading.
bool readOption(const Option& option, const std::string& arg, ParsedArguments& parsed,
                const OptionHandler& handle) {
  if (option.key == OptionKey::Help || option.key == OptionKey::Version) {
    parsed.action = option.key == OptionKey::Help ? CommandAction::Help : CommandAction::Version;
    return false;
  }
  if (option.argument == Argument::Path) {
    for (auto& [key, path] : parsed.paths) {
      if (key == option.key) path.await();
    }
    return true;
  }
  const std::string_view value =
      option.argument == Argument::Value ? std::string_view(arg).substr(option.spelling.size()) : std::string_view();
  if (handle(option.key, value)) return true;
  parsed.refuse(invalidOption(arg));
  return false;
}

}  // namespace

const PendingPath& ParsedArguments::path(OptionKey key) const {
  for (const auto& [pathKey, path] : paths) {
    if (pathKey == key) return path;
  }
  static const PendingPath none;
  return none;
}

void ParsedArguments::refuse(std::string text) {
  action = CommandAction::Invalid;
  complaint = std::move(text);
}

ParsedArguments parseArguments(const CommandSyntax& syntax, const std::vector<std::string>& args,
                               const OptionHandler& handle) {
  ParsedArguments parsed;
  for (const Option& option : syntax.options) {
    if (option.argument == Argument::Path) parsed.paths.emplace_back(option.key, PendingPath());
  }
  for (const std::string& arg : args) {
    if (const Option* option = optionOf(syntax, arg)) {
      if (!readOption(*option, arg, parsed, handle)) return parsed;
    } else if (PendingPath* path = awaitingPath(parsed)) {
      path->give(arg);
    } else if (!arg.empty() && arg[0] == '-') {
      parsed.refuse(invalidOption(arg));
      return parsed;
    } else {
      // An empty argument is an operand: as a path, it then fails the existence test.
      parsed.operands.push_back(arg);
    }
  }
  return parsed;
}

std::string usageText(const CommandSyntax& syntax, std::string_view program) {
  std::string text = fmt::format("\nUsage: {} [OPTION]{}\n", program, syntax.operands);
  if (!syntax.otherOperands.empty()) text += fmt::format("  or:  {} [OPTION]{}\n", program, syntax.otherOperands);
  text += fmt::format("{}\n\n", syntax.purpose);
  for (const Option& option : syntax.options) {
    std::string left(option.spelling);
    if (option.argument == Argument::Path) left += ' ';
    left += option.placeholder;
    text += fmt::format("  {:<17}{}\n", left, option.help);
  }
  return text;
}

}  // namespace marvolt
