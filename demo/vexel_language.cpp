// vexel: the choice of the pictures' language: the command line, then the desktop's locale.
#include "vexel.hpp"

namespace vexel {

namespace {

constexpr std::string_view option = "--lang";

bool language_named(std::string_view name, detail::language& lang) {
  if (name == "hu") {
    lang = detail::language::hu;
    return true;
  }
  if (name == "en") {
    lang = detail::language::en;
    return true;
  }
  return false;
}

}  // namespace

std::string detail::language_folder(language lang) {
  switch (lang) {
    case language::en:
      return "en/";
    case language::hu:
      break;
  }
  return "";
}

detail::language detail::language_of_locale(std::string_view locale) {
  return locale.substr(0, 2) == "en" ? language::en : language::hu;
}

detail::language detail::language_from_environment(
    const std::function<const char*(const char*)>& getenv) {
  // as the C library reads them: the first variable with a value decides, an empty one is unset
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = getenv(variable);
    if (value != nullptr && *value != '\0') return language_of_locale(value);
  }
  return language::hu;
}

detail::language_choice detail::choose_language(
    const std::vector<std::string>& arguments,
    const std::function<const char*(const char*)>& getenv) {
  language_choice choice;
  bool given = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    std::string_view name;
    if (argument == option) {
      if (i + 1 == arguments.size()) {
        choice.error = "--lang needs a language: hu or en";
        return choice;
      }
      name = arguments[++i];
    } else if (argument.substr(0, option.size() + 1) == "--lang=") {
      name = argument.substr(option.size() + 1);
    } else {
      continue;
    }
    if (!language_named(name, choice.chosen)) {
      choice.error = "unknown language '" + std::string(name) + "' for --lang: use hu or en";
      return choice;
    }
    given = true;
  }
  if (!given) choice.chosen = language_from_environment(getenv);
  return choice;
}

}  // namespace vexel
