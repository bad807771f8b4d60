#include "Cli_audit.h"

#include "App_audit.h"
#include "Cli_inputs.h"
#include "Cli_outputs.h"

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace cli {

int RunAudit(const TCommandLine& line, std::istream&, std::ostream& out) {
    const std::string format = line.ReportFormat.value_or("text");
    if (format != "text" && format != "tsv" && format != "json")
        throw EUsageError("unknown report format");
    if (line.MissingDat)
        CheckOverwrite(*line.MissingDat, false);
    // Every file is found before the lists are read: a mistyped folder fails at once.
    const std::vector<std::string> files = AuditFiles(line.Arguments);
    const std::unique_ptr<TSoftwareCatalog> lists = CatalogOf(line);
    const TSoftwareCatalog& catalog = *lists;

    // Progress only where a person watches: a script's standard error stays its own.
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const TAuditReport report =
        Audit(catalog, files, FormatSourceFor(std::nullopt), line.All,
              [terminal](size_t done, size_t total) {
                  if (terminal)
                      std::fprintf(stderr, "\raudit: %zu of %zu files", done, total);
                  return true;
              });
    if (terminal && !files.empty())
        std::fputc('\n', stderr);

    if (line.MissingDat) {
        const std::string dat = MissingDat(catalog, report);
        WriteNewFile(*line.MissingDat, {reinterpret_cast<const uint8_t*>(dat.data()), dat.size()},
                     false);
    }
    WriteOutput(out, format == "json"  ? AuditJson(catalog, report)
                     : format == "tsv" ? AuditTsv(catalog, report)
                                       : AuditText(catalog, report));
    return report.Clean() ? ExitSuccess : ExitFailure;
}

} // namespace cli
