// The declaration verifier (declcheck::checkBytes) on any bytes. Input: the file. Checked: the
// report holds at most MaxFaults faults, each on a line of the file, and says so when it left
// some out; a file found sound is one the writer could have made: the header, its verification
// line made from the control code of its period and agent, CR LF after every line and "Eof" last.
#include "FuzzSupport.h"
#include "declaration/DeclarationCheck.h"
#include "declaration/DeclarationFile.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::bytes(data, size);
    const declcheck::Report report = declcheck::checkBytes(bytes, QString());
    fuzz::require(report.faults.size() <= declcheck::MaxFaults, "too many faults");
    fuzz::require(!report.truncated || report.faults.size() >= declcheck::MaxFaults, "truncated without reason");
    // A record missing is named on the line it belongs on: the period's is line 3, the agent's 4.
    const qsizetype lines = std::max<qsizetype>(bytes.count('\n') + 1, 4);
    for (const declcheck::Fault& f : report.faults) {
        fuzz::require(f.line >= 0 && f.line <= lines + 1 && f.position >= 0, "fault out of the file",
                      declcheck::faultText(f));
        fuzz::require(!f.text.isEmpty(), "fault without a text");
    }
    const QString text = declcheck::reportText(report);
    fuzz::require(!text.isEmpty(), "an empty answer");
    if (!report.ok())
        return 0;

    const declcheck::Summary& s = report.summary;
    const QList<QByteArray> fileLines = bytes.split('\n');
    fuzz::require(bytes.startsWith(QByteArray(DeclarationHeader) + "\r\n"), "a sound file without the header");
    fuzz::require(
        bytes.endsWith(QByteArray("\r\n") + DeclarationEnd + "\r\n") || bytes == QByteArray(DeclarationEnd) + "\r\n",
        "a sound file without Eof at its end");
    fuzz::require(fileLines.size() >= 2 && s.codigo == CodigoControl(s.anio, s.anticipo, s.cuit) &&
                      fileLines[1] == Encriptar(s.codigo) + '\r',
                  "a sound file whose verification line is not its control code's", s.codigo);
    fuzz::require(s.formsVoided <= s.forms && s.machinesVoided <= s.machines, "more voided rows than rows");
    return 0;
}
