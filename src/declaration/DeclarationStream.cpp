#include "DeclarationStream.h"

#include "ClientKeys.h"
#include "DeclarationFile.h"
#include "DeclarationRecords.h"
#include "RecordReader.h"
#include "data/store/StoreError.h"
#include "data/text/Text1252.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace declcheck {

namespace {

constexpr int PeriodLine = 3;
constexpr int AgentLine = 4;

using namespace records;

// A repeated C.U.I.T. whose earlier line is not at hand: the second reading finds it.
struct Earlier {
    qsizetype fault;
    int line;
    quint64 key;
};

// What the second reading looks for, and what it finds.
struct SecondReading {
    const ClientKeys* missing = nullptr;  // the rows' clients that no "040" declares
    std::vector<Earlier> earlier;         // in the order of their lines
    std::size_t nextEarlier = 0;
    std::unordered_map<quint64, int> declaredAt;       // for the keys of `earlier`: the line that holds it, 0 before
    std::vector<std::pair<qsizetype, QString>> texts;  // for the faults of `earlier`
    QList<Fault> references;                           // in the order of lines, at most MaxFaults + 1
};

// The order of texts as the program compares them: by their characters, not their bytes.
bool before(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (a[i] != b[i]) {
            const auto unit = [](char c) {
                return uchar(c) < 0x80 ? char16_t(uchar(c)) : store::windows1252Char(uchar(c)).unicode();
            };
            return unit(a[i]) < unit(b[i]);
        }
    return a.size() < b.size();
}

QString repeated(QByteArrayView cuit, int line)
{
    return line > 0
               ? QStringLiteral("el C.U.I.T. %1 está repetido (ya está en la línea %2)").arg(decode(cuit)).arg(line)
               : QStringLiteral("el C.U.I.T. %1 está repetido").arg(decode(cuit));
}

// A value as a message quotes it, from its first bytes only.
QString shownStart(QByteArrayView bytes) { return shown(decode(bytes.first(std::min<qsizetype>(bytes.size(), 41)))); }

class Checker {
public:
    explicit Checker(const QString& fileName, SecondReading* second = nullptr) : m_second(second)
    {
        m_report.fileName = fileName;
    }

    // False once the rest of the file is of no use.
    bool feed(QByteArrayView block)
    {
        m_total += block.size();
        if (!m_stopped)
            m_reader.feed(block, [this](auto... read) { return line(read...); });
        return !m_stopped;
    }

    // The last line, when no LF ends it.
    void end()
    {
        if (!m_stopped)
            m_reader.end([this](auto... read) { return line(read...); });
    }

    Report finish(const BlockReader& read);

private:
    // One line as the reader found it; false once the rest of the file is of no use.
    bool line(QByteArrayView kept, qint64 length, char last, bool lf)
    {
        const int number = ++m_lineNumber;
        if (m_eofLine) {
            fault(number, 0, {}, QStringLiteral("hay texto después de Eof: Eof va en la última línea"));
            m_stopped = true;
            return false;
        }
        const bool cr = length > 0 && last == '\r';
        if (!lf)
            fault(number, 0, {}, QStringLiteral("la línea no termina con CR LF: el archivo está cortado"));
        else if (!cr && m_lfOnly++ == 0)
            m_lfOnlyLine = number;
        const qint64 contentLength = length - (cr ? 1 : 0);
        handleLine(number, kept.first(qsizetype(std::min<qint64>(contentLength, LongestLine))), contentLength);
        return !m_stopped;
    }

    qsizetype fault(int line, int position, const QString& field, const QString& text)
    {
        if (m_second)
            return -1;
        if (m_report.faults.size() >= MaxFaults) {
            m_report.truncated = true;
            return -1;
        }
        m_report.faults.append({line, position, field, text});
        return m_report.faults.size() - 1;
    }

    void fieldFault(int line, int position, const FieldLayout& layout, const QString& text)
    {
        fault(line, position, QString::fromLatin1(layout.name), text);
    }

    void handleLine(int line, QByteArrayView content, qint64 length)
    {
        const bool whole = length == content.size();
        if (line == 1) {
            if (!whole || content != DeclarationHeader)
                fault(1, 0, QStringLiteral("encabezado"),
                      QStringLiteral("debe ser %1 y es %2").arg(QLatin1String(DeclarationHeader), shownStart(content)));
            return;
        }
        if (line == 2) {
            m_verificationLength = length;
            m_verification = content.first(std::min<qsizetype>(content.size(), 8)).toByteArray();
            return;
        }
        if (whole && content == DeclarationEnd) {
            m_eofLine = line;
            return;
        }
        if (!content.startsWith('\'')) {
            fault(line, 0, {},
                  QStringLiteral("la línea no es un registro entre comillas ni Eof: %1").arg(shownStart(content)));
            return;
        }
        m_line = line;
        Fields fields;
        if (!whole) {
            // No record is that long; its client, if it names one, still counts as present.
            split(line, content, fields, true);
            noteClient(fields);
            fault(line, 0, {},
                  QStringLiteral("la línea tiene %1 caracteres: ningún registro es tan largo, el archivo está dañado")
                      .arg(length));
            return;
        }
        if (split(line, content, fields, false))
            handleRecord(line, content, fields);
        else
            noteClient(fields);
    }

    // The record's fields; a record that is not quoted as it should be is a fault, told unless quiet.
    bool split(int line, QByteArrayView content, Fields& fields, bool quiet)
    {
        SplitFault why;
        if (m_reader.split(content, fields, quiet ? nullptr : &why))
            return true;
        if (quiet)
            return false;
        QString where;
        if (why.position == 1)
            where = QStringLiteral("tipo");
        else if (const RecordLayout* layout = layoutOf(fields[0]);
                 why.position > 1 && layout && why.position <= layout->fields.size())
            where = QString::fromLatin1(layout->fields[why.position - 1].name);
        fault(line, why.position, where, why.text);
        return false;
    }

    void handleRecord(int line, QByteArrayView content, const Fields& fields)
    {
        const RecordLayout* layout = layoutOf(fields[0]);
        if (!layout) {
            fault(line, 1, QStringLiteral("tipo"),
                  QStringLiteral("%1 no es un tipo de registro (000, 010, 020, 030 o 040)")
                      .arg(shown(decode(fields[0]))));
            return;
        }
        if (!placeRecord(line, *layout))
            return;
        const int want = int(layout->fields.size());
        const int have = fields.count;
        if (have != want)
            noteClient(fields);
        if (have > want) {
            fault(line, want + 1, {},
                  QStringLiteral("sobra este campo: el registro %1 lleva %2 campos y este tiene %3")
                      .arg(QLatin1String(layout->type))
                      .arg(want)
                      .arg(have));
            return;
        }
        if (have < want) {
            fieldFault(line, have + 1, layout->fields[have],
                       QStringLiteral("falta este campo: el registro %1 lleva %2 campos y este tiene %3")
                           .arg(QLatin1String(layout->type))
                           .arg(want)
                           .arg(have));
            return;
        }
        bool sound = true;
        // A line clean as a whole has clean values: unquoting adds no byte.
        const bool clean = surelyClean(content);
        for (int f = 0; f < want; ++f) {
            const FieldLayout& field = layout->fields[f];
            const QByteArrayView value = fields[f];
            if (!clean && !surelyClean(value)) {
                const QString bad = badBytes(value);
                if (!bad.isEmpty()) {
                    fieldFault(line, f + 1, field, bad);
                    sound = false;
                    continue;
                }
            }
            if (surelySound(field, value, m_anio, m_anticipo, m_periodKnown))
                continue;
            const QString text = valueFault(field, decode(value), m_periodKnown ? &m_summary.anio : nullptr,
                                            m_periodKnown ? &m_summary.anticipo : nullptr);
            if (!text.isEmpty()) {
                fieldFault(line, f + 1, field, text);
                sound = false;
            }
        }
        take(*layout, fields, sound);
    }

    // The records' order: the period on line 3, the agent on line 4, then rows, machines and
    // clients. False for a record that cannot be read where it stands.
    bool placeRecord(int line, const RecordLayout& layout)
    {
        const QLatin1String type(layout.type);
        if (layout.rank <= 1) {
            const int expected = layout.rank == 0 ? PeriodLine : AgentLine;
            if (line != expected) {
                fault(line, 1, QStringLiteral("tipo"),
                      QStringLiteral("el registro %1 va solo en la línea %2").arg(type).arg(expected));
                return false;
            }
            return true;
        }
        if (line <= AgentLine)
            return true;  // the missing "000" or "010" is told at the end
        if (layout.rank < m_rank) {
            fault(line, 1, QStringLiteral("tipo"),
                  QStringLiteral("el registro %1 está fuera de orden: van todos los 020, luego los 030 y al final "
                                 "los 040")
                      .arg(type));
            return true;
        }
        m_rank = layout.rank;
        return true;
    }

    // What a record adds to the summary and to the checks across records.
    void take(const RecordLayout& layout, const Fields& values, bool sound)
    {
        switch (layout.rank) {
        case 0:
            m_seenPeriod = true;
            m_periodKnown = sound;
            m_anio = values[1].toByteArray();
            m_anticipo = values[2].toByteArray();
            m_summary.anio = decode(values[1]);
            m_summary.anticipo = decode(values[2]);
            m_summary.rectificativa = decode(values[3]);
            break;
        case 1:
            m_seenAgent = true;
            m_agentKnown = sound;
            m_summary.cuit = decode(values[1]);
            m_summary.nombre = decode(values[2]);
            break;
        case 2:
            ++m_summary.forms;
            m_summary.formsVoided += values[11] == "S";
            reference(values[1]);
            break;
        case 3:
            ++m_summary.machines;
            m_summary.machinesVoided += values[12] == "S";
            reference(values[1]);
            break;
        case 4:
            ++m_summary.clients;
            takeClient(values[1]);
            break;
        }
    }

    // The client of a row: known at the end, when every "040" record has been read.
    void reference(QByteArrayView cuit)
    {
        const quint64 key = ClientKeys::key(cuit);
        if (!m_second) {
            m_keys.add(key, ClientKeys::Referenced);
            return;
        }
        SecondReading& s = *m_second;
        if (s.missing && s.references.size() <= MaxFaults && s.missing->missing(key))
            s.references.append(
                {m_line, 2, QStringLiteral("Cuit"),
                 QStringLiteral("el C.U.I.T. %1 no está entre los clientes (registros 040)").arg(shown(decode(cuit)))});
        if ((!s.missing || s.references.size() > MaxFaults) && s.nextEarlier == s.earlier.size())
            m_stopped = true;
    }

    // The client of a "040" record at fault still counts as present: a broken quote in its
    // address is one fault, not one more for every row of that client.
    void noteClient(const Fields& fields)
    {
        if (fields.count < 2 || fields[0] != "040")
            return;
        const quint64 key = ClientKeys::key(fields[1]);
        if (m_second) {
            if (const auto at = m_second->declaredAt.find(key); at != m_second->declaredAt.end())
                at->second = m_line;
            return;
        }
        declare(key);
    }

    void declare(quint64 key)
    {
        if (!m_anyDeclared || key > m_maxDeclared)
            m_keys.addAscending(key, ClientKeys::Declared);
        else
            m_keys.add(key, ClientKeys::Declared);
        m_lastDeclared = key;
        m_lastDeclaredLine = m_line;
        m_maxDeclared = m_anyDeclared ? std::max(m_maxDeclared, key) : key;
        m_anyDeclared = true;
    }

    void takeClient(QByteArrayView cuit)
    {
        const quint64 key = ClientKeys::key(cuit);
        if (m_second) {
            SecondReading& s = *m_second;
            const auto at = s.declaredAt.find(key);
            if (s.nextEarlier < s.earlier.size() && s.earlier[s.nextEarlier].line == m_line)
                s.texts.emplace_back(s.earlier[s.nextEarlier++].fault,
                                     repeated(cuit, at != s.declaredAt.end() ? at->second : 0));
            if (at != s.declaredAt.end() && at->second == 0)
                at->second = m_line;
            return;
        }
        // Ascending C.U.I.T.s are never seen before: only one out of order is looked up.
        const bool known = m_anyDeclared && key <= m_maxDeclared && m_keys.declared(key);
        if (known && !cuit.isEmpty()) {
            if (key == m_lastDeclared) {
                fault(m_line, 2, QStringLiteral("Cuit"), repeated(cuit, m_lastDeclaredLine));
            } else {
                const qsizetype at = fault(m_line, 2, QStringLiteral("Cuit"), repeated(cuit, 0));
                if (at >= 0)
                    m_earlier.push_back({at, m_line, key});
            }
        } else if (m_clientLine && before(cuit, m_lastClient)) {
            fault(m_line, 2, QStringLiteral("Cuit"),
                  QStringLiteral("el C.U.I.T. %1 va antes que el %2 de la línea %3: los 040 van por C.U.I.T. "
                                 "ascendente")
                      .arg(decode(cuit), decode(m_lastClient))
                      .arg(m_clientLine));
        }
        if (!known)
            declare(key);
        m_lastClient.assign(cuit.data(), std::size_t(cuit.size()));
        m_clientLine = m_line;
    }

    void checkVerification()
    {
        if (m_verificationLength != 5) {
            m_report.faults.append({2, 0, QStringLiteral("verificación"),
                                    QStringLiteral("debe tener 5 caracteres y tiene %1").arg(m_verificationLength)});
            return;
        }
        if (!m_periodKnown || !m_agentKnown)
            return;  // the record at fault is named already
        try {
            m_summary.codigo = CodigoControl(m_summary.anio, m_summary.anticipo, m_summary.cuit);
            if (Encriptar(m_summary.codigo) != m_verification)
                m_report.faults.append({2, 0, QStringLiteral("verificación"),
                                        QStringLiteral("no corresponde al período (registro 000) ni al C.U.I.T. del "
                                                       "agente (registro 010)")});
        } catch (const store::StoreError& e) {
            m_report.faults.append({2, 0, QStringLiteral("verificación"), e.text()});
        }
    }

    void checkFileName()
    {
        if (m_report.fileName.isEmpty() || !m_periodKnown || !m_agentKnown)
            return;
        const QString expected = declarationFileName(m_summary.cuit, m_summary.anio, m_summary.anticipo);
        if (m_report.fileName.compare(expected, Qt::CaseInsensitive) != 0)
            m_report.faults.append(
                {0, 0, QStringLiteral("nombre del archivo"),
                 QStringLiteral("el archivo se llama %1 y, por su agente y su período, debe llamarse %2")
                     .arg(m_report.fileName, expected)});
    }

    void secondReading(const BlockReader& read);

    SecondReading* m_second;
    Report m_report;
    Summary m_summary;
    qint64 m_total = 0;
    bool m_stopped = false;
    RecordReader m_reader;
    int m_lineNumber = 0;
    int m_line = 0;  // of the record being taken
    int m_rank = 2;
    int m_eofLine = 0;
    int m_lfOnly = 0, m_lfOnlyLine = 0;
    QByteArray m_verification;
    qint64 m_verificationLength = 0;
    bool m_seenPeriod = false, m_periodKnown = false;
    bool m_seenAgent = false, m_agentKnown = false;
    QByteArray m_anio, m_anticipo;  // the period's bytes, for the rows' own
    ClientKeys m_keys;
    quint64 m_lastDeclared = 0, m_maxDeclared = 0;
    bool m_anyDeclared = false;
    int m_lastDeclaredLine = 0;
    std::string m_lastClient;
    int m_clientLine = 0;
    std::vector<Earlier> m_earlier;
};

// The lines of the rows whose client is missing, and the earlier line of a repeated C.U.I.T.
// when it was not the one just before.
void Checker::secondReading(const BlockReader& read)
{
    // In a file cut short the clients are missing with the rest.
    bool references = false;
    if (m_eofLine) {
        m_keys.keepMissing();
        references = m_keys.anyMissing();
    }
    if (!references && m_earlier.empty())
        return;
    SecondReading second;
    second.missing = references ? &m_keys : nullptr;
    second.earlier = std::move(m_earlier);
    for (const Earlier& e : second.earlier)
        second.declaredAt.emplace(e.key, 0);
    Checker again(m_report.fileName, &second);
    read([&](QByteArrayView block) { return again.feed(block); });
    again.end();
    for (const auto& [at, text] : second.texts)
        m_report.faults[at].text = text;
    m_report.faults.append(second.references);
}

Report Checker::finish(const BlockReader& read)
{
    if (m_total == 0) {
        m_report.faults.append({0, 0, {}, QStringLiteral("el archivo está vacío")});
        return std::move(m_report);
    }
    const int lastLine = m_lineNumber;
    if (m_lfOnly)
        m_report.faults.append({m_lfOnlyLine,
                                0,
                                {},
                                m_lfOnly == 1
                                    ? QStringLiteral("la línea termina con LF sin CR")
                                    : QStringLiteral("la línea termina con LF sin CR, como otras %1 líneas del archivo")
                                          .arg(m_lfOnly - 1)});
    if (lastLine < 2)
        m_report.faults.append(
            {2, 0, QStringLiteral("verificación"), QStringLiteral("falta la línea de verificación")});
    if (!m_seenPeriod)
        m_report.faults.append({PeriodLine, 0, {}, QStringLiteral("falta el registro 000, el período, en la línea 3")});
    if (!m_seenAgent)
        m_report.faults.append({AgentLine, 0, {}, QStringLiteral("falta el registro 010, el agente, en la línea 4")});
    if (!m_eofLine)
        m_report.faults.append(
            {lastLine, 0, {}, QStringLiteral("falta la línea Eof al final: el archivo está cortado")});
    if (lastLine >= 2)
        checkVerification();
    checkFileName();
    secondReading(read);
    // The first faults by their lines; the stream kept at most MaxFaults of its own.
    std::stable_sort(m_report.faults.begin(), m_report.faults.end(),
                     [](const Fault& a, const Fault& b) { return a.line < b.line; });
    if (m_report.faults.size() > MaxFaults) {
        m_report.faults.resize(MaxFaults);
        m_report.truncated = true;
    }
    m_report.summary = m_summary;
    return std::move(m_report);
}

}  // namespace

Report checkBlocks(const BlockReader& read, const QString& fileName)
{
    Checker checker(fileName);
    read([&](QByteArrayView block) { return checker.feed(block); });
    checker.end();
    return checker.finish(read);
}

Report checkBytes(QByteArrayView bytes, const QString& fileName, qsizetype blockSize)
{
    if (blockSize <= 0)
        blockSize = std::max<qsizetype>(bytes.size(), 1);
    return checkBlocks(
        [&](const std::function<bool(QByteArrayView)>& take) {
            for (qsizetype at = 0; at < bytes.size(); at += blockSize)
                if (!take(bytes.sliced(at, std::min(blockSize, bytes.size() - at))))
                    return;
        },
        fileName);
}

}  // namespace declcheck
