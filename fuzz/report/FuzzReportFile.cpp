// Feeds arbitrary bytes to the saved-report loader. A refusal must come with a message; a
// report that loads must save to the same bytes and load again to the same report.
#include "report/ReportFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TPreparedReport report;
    QString error;
    if (!ParseReport(bytes, &report, &error)) {
        if (error.isEmpty()) {
            std::abort();
        }
        return 0;
    }
    const QByteArray again = SerializeReport(report);
    TPreparedReport second;
    if (!ParseReport(again, &second, &error) || SerializeReport(second) != again) {
        std::abort();
    }
    return 0;
}
