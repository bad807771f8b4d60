// The commands of trackwell-cli, each declared once in one table that dispatch and the usage text
// are made from, so that neither can name a command the other lacks; the tests hold the manual
// page and the bash completion to that text. Scripts depend on the exact output, messages and
// exit codes the commands give.
#pragma once

#include "Cli_arguments.h"

#include <span>

namespace cli {

// Every command, in the order the usage text lists them.
std::span<const TCommand> Commands();

} // namespace cli
