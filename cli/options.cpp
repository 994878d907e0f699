#include "options.hpp"

#include <string_view>

namespace {

// A command's options as completion offers them, --help last.
std::string optionWords(unsigned bit) {
  std::string words;
  for (const OptionRow& option : Options) {
    if ((option.commands & bit) != 0) {
      words.append(option.name).append(" ");
    }
  }
  return words + "--help";
}

}  // namespace

std::string bashCompletion() {
  std::string commandNames;
  std::string fileCommands;
  std::string cases;
  for (const CommandRow& command : Commands) {
    commandNames.append(commandNames.empty() ? "" : " | ").append(command.name);
    if (std::string_view(command.operands) == "FILE") {
      fileCommands.append(fileCommands.empty() ? "" : " || ")
          .append("$command == ")
          .append(command.name);
    }
    cases.append("    ")
        .append(command.name)
        .append(") words=\"")
        .append(optionWords(command.bit))
        .append("\" ;;\n");
  }
  std::string allNames;
  for (const CommandRow& command : Commands) {
    allNames.append(command.name).append(" ");
  }
  return "# bash completion for pellamar-cli, made from its table of options: its\n"
         "# commands, the options of each, and the files --names-file and the\n"
         "# commands that read files take.\n"
         "_pellamar_cli() {\n"
         "  local current=${COMP_WORDS[COMP_CWORD]}\n"
         "  local command=\"\" index\n"
         "  for ((index = 1; index < COMP_CWORD; index++)); do\n"
         "    case ${COMP_WORDS[index]} in\n"
         "      " +
         commandNames +
         ")\n"
         "        command=${COMP_WORDS[index]}\n"
         "        break\n"
         "        ;;\n"
         "    esac\n"
         "  done\n"
         "  local words\n"
         "  case $command in\n" +
         cases + "    *) words=\"" + allNames +
         "--help --version\" ;;\n"
         "  esac\n"
         "  # A names file is a file.\n"
         "  if [[ ${COMP_WORDS[COMP_CWORD - 1]} == --names-file ]]; then\n"
         "    mapfile -t COMPREPLY < <(compgen -f -- \"$current\")\n"
         "    return\n"
         "  fi\n"
         "  # Some commands read files.\n"
         "  if [[ (" +
         fileCommands +
         ") && $current != -* ]]; then\n"
         "    mapfile -t COMPREPLY < <(compgen -f -- \"$current\")\n"
         "    return\n"
         "  fi\n"
         "  # Identifiers and Base64 texts are the user's own; only words complete.\n"
         "  if [[ -n $command && $current != -* ]]; then\n"
         "    COMPREPLY=()\n"
         "    return\n"
         "  fi\n"
         "  mapfile -t COMPREPLY < <(compgen -W \"$words\" -- \"$current\")\n"
         "}\n"
         "complete -F _pellamar_cli pellamar-cli\n";
}
