#include "DeclarationCheck.h"

#include "DeclarationFile.h"
#include "DeclarationRecords.h"
#include "data/UModulo.h"
#include "data/store/NumberText.h"
#include "data/store/StoreError.h"
#include "data/store/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace declcheck {

namespace {

constexpr int PeriodLine = 3;
constexpr int AgentLine = 4;

using namespace records;

class Checker {
public:
    Checker(QByteArrayView bytes, const QString& fileName) : m_bytes(bytes) { m_report.fileName = fileName; }

    Report run()
    {
        int line = 0;
        qsizetype pos = 0;
        const qsizetype size = m_bytes.size();
        while (pos < size) {
            ++line;
            if (m_eofLine) {
                fault(line, 0, {}, QStringLiteral("hay texto después de Eof: Eof va en la última línea"));
                break;
            }
            const qsizetype lf = m_bytes.indexOf('\n', pos);
            const qsizetype stop = lf < 0 ? size : lf;
            const bool cr = stop > pos && m_bytes[stop - 1] == '\r';
            if (lf < 0)
                fault(line, 0, {}, QStringLiteral("la línea no termina con CR LF: el archivo está cortado"));
            else if (!cr && m_lfOnly++ == 0)
                m_lfOnlyLine = line;
            handleLine(line, m_bytes.sliced(pos, stop - pos - (cr ? 1 : 0)));
            pos = stop + 1;
        }
        finish(line);
        return std::move(m_report);
    }

private:
    void fault(int line, int position, const QString& field, const QString& text, bool always = false)
    {
        if (m_report.faults.size() >= MaxFaults && !always) {
            m_report.truncated = true;
            return;
        }
        m_report.faults.append({line, position, field, text});
    }

    void fieldFault(int line, int position, const FieldLayout& layout, const QString& text)
    {
        fault(line, position, QString::fromLatin1(layout.name), text);
    }

    void handleLine(int line, QByteArrayView content)
    {
        if (line == 1) {
            if (content != DeclarationHeader)
                fault(1, 0, QStringLiteral("encabezado"),
                      QStringLiteral("debe ser %1 y es %2")
                          .arg(QLatin1String(DeclarationHeader), shown(decode(content))));
            return;
        }
        if (line == 2) {
            m_verification = content.toByteArray();
            return;
        }
        if (content == DeclarationEnd) {
            m_eofLine = line;
            return;
        }
        if (!content.startsWith('\'')) {
            fault(line, 0, {},
                  QStringLiteral("la línea no es un registro entre comillas ni Eof: %1").arg(shown(decode(content))));
            return;
        }
        QList<QByteArray> fields;
        m_line = line;
        if (splitRecord(line, content, fields))
            handleRecord(line, fields);
        else
            noteClient(fields);
    }

    // The client of a "040" record at fault still counts as present: a broken quote in its
    // address is one fault, not one more for every row of that client.
    void noteClient(const QList<QByteArray>& fields)
    {
        if (fields.size() >= 2 && fields[0] == "040")
            m_clients.insert(decode(fields[1]), m_line);
    }

    // The quoted fields of a record: a quote inside a value doubled, a comma between fields and
    // ";" after the last one, nothing else outside the quotes.
    bool splitRecord(int line, QByteArrayView content, QList<QByteArray>& fields)
    {
        const qsizetype n = content.size();
        qsizetype i = 0;
        for (int position = 1;; ++position) {
            // Named once the type is read.
            const auto where = [&] {
                const RecordLayout* layout = fields.isEmpty() ? nullptr : recordLayout(fields[0]);
                if (position == 1)
                    return QStringLiteral("tipo");
                return layout && position <= layout->fields.size()
                           ? QString::fromLatin1(layout->fields[position - 1].name)
                           : QString();
            };
            if (i >= n || content[i] != '\'') {
                fault(line, position, where(), QStringLiteral("el campo no empieza con una comilla"));
                return false;
            }
            QByteArray value;
            for (++i;; ++i) {
                if (i >= n) {
                    fault(line, position, where(), QStringLiteral("falta la comilla que cierra el campo"));
                    return false;
                }
                if (content[i] == '\'') {
                    if (i + 1 < n && content[i + 1] == '\'') {
                        value += '\'';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += content[i];
            }
            fields.append(value);
            if (i < n && content[i] == ',') {
                ++i;
                continue;
            }
            if (i < n && content[i] == ';') {
                if (i + 1 < n) {
                    fault(line, 0, {}, QStringLiteral("hay texto después del ; que cierra el registro"));
                    return false;
                }
                return true;
            }
            fault(line, position, where(),
                  i < n ? QStringLiteral("después de la comilla que cierra el campo viene %1; fuera de las comillas "
                                         "solo van las comas y el ; final (¿falta una comilla?)")
                              .arg(shown(decode(content.sliced(i, 1))))
                        : QStringLiteral("el registro no termina con ;"));
            return false;
        }
    }

    void handleRecord(int line, const QList<QByteArray>& fields)
    {
        const RecordLayout* layout = recordLayout(fields[0]);
        if (!layout) {
            fault(line, 1, QStringLiteral("tipo"),
                  QStringLiteral("%1 no es un tipo de registro (000, 010, 020, 030 o 040)")
                      .arg(shown(decode(fields[0]))));
            return;
        }
        const QString type = QString::fromLatin1(layout->type);
        if (!placeRecord(line, *layout))
            return;
        const int want = int(layout->fields.size());
        const int have = int(fields.size());
        if (have != want)
            noteClient(fields);
        if (have > want) {
            fault(line, want + 1, {},
                  QStringLiteral("sobra este campo: el registro %1 lleva %2 campos y este tiene %3")
                      .arg(type)
                      .arg(want)
                      .arg(have));
            return;
        }
        if (have < want) {
            fieldFault(line, have + 1, layout->fields[have],
                       QStringLiteral("falta este campo: el registro %1 lleva %2 campos y este tiene %3")
                           .arg(type)
                           .arg(want)
                           .arg(have));
            return;
        }
        QStringList values;
        bool sound = true;
        for (int f = 0; f < want; ++f) {
            values << decode(fields[f]);
            const QString bad = badBytes(fields[f]);
            if (!bad.isEmpty()) {
                fieldFault(line, f + 1, layout->fields[f], bad);
                sound = false;
            } else if (!checkValue(line, f + 1, layout->fields[f], values[f])) {
                sound = false;
            }
        }
        take(*layout, values, sound);
    }

    // The records' order: the period on line 3, the agent on line 4, then rows, machines and
    // clients. False for a record that cannot be read where it stands.
    bool placeRecord(int line, const RecordLayout& layout)
    {
        const QString type = QString::fromLatin1(layout.type);
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

    bool checkValue(int line, int position, const FieldLayout& layout, const QString& value)
    {
        const bool period = m_periodKnown;
        const QString text =
            valueFault(layout, value, period ? &m_summary.anio : nullptr, period ? &m_summary.anticipo : nullptr);
        if (text.isEmpty())
            return true;
        fieldFault(line, position, layout, text);
        return false;
    }

    // What a record adds to the summary and to the checks across records.
    void take(const RecordLayout& layout, const QStringList& values, bool sound)
    {
        switch (layout.rank) {
        case 0:
            m_seenPeriod = true;
            m_periodKnown = sound;
            m_summary.anio = values[1];
            m_summary.anticipo = values[2];
            m_summary.rectificativa = values[3];
            break;
        case 1:
            m_seenAgent = true;
            m_agentKnown = sound;
            m_summary.cuit = values[1];
            m_summary.nombre = values[2];
            break;
        case 2:
            ++m_summary.forms;
            m_summary.formsVoided += values[11] == QLatin1String("S");
            m_references.append({m_line, values[1]});
            break;
        case 3:
            ++m_summary.machines;
            m_summary.machinesVoided += values[12] == QLatin1String("S");
            m_references.append({m_line, values[1]});
            break;
        case 4:
            ++m_summary.clients;
            takeClient(values[1]);
            break;
        }
    }

    void takeClient(const QString& cuit)
    {
        const auto known = m_clients.constFind(cuit);
        if (known != m_clients.constEnd() && !cuit.isEmpty())
            fault(m_line, 2, QStringLiteral("Cuit"),
                  QStringLiteral("el C.U.I.T. %1 está repetido (ya está en la línea %2)").arg(cuit).arg(*known));
        else if (m_clientLine && cuit < m_lastClient)
            fault(m_line, 2, QStringLiteral("Cuit"),
                  QStringLiteral("el C.U.I.T. %1 va antes que el %2 de la línea %3: los 040 van por C.U.I.T. "
                                 "ascendente")
                      .arg(cuit, m_lastClient)
                      .arg(m_clientLine));
        if (known == m_clients.constEnd())
            m_clients.insert(cuit, m_line);
        m_lastClient = cuit;
        m_clientLine = m_line;
    }

    void finish(int lastLine)
    {
        if (m_bytes.isEmpty()) {
            fault(0, 0, {}, QStringLiteral("el archivo está vacío"), true);
            return;
        }
        if (m_lfOnly)
            fault(m_lfOnlyLine, 0, {},
                  m_lfOnly == 1 ? QStringLiteral("la línea termina con LF sin CR")
                                : QStringLiteral("la línea termina con LF sin CR, como otras %1 líneas del archivo")
                                      .arg(m_lfOnly - 1),
                  true);
        if (lastLine < 2)
            fault(2, 0, QStringLiteral("verificación"), QStringLiteral("falta la línea de verificación"), true);
        if (!m_seenPeriod)
            fault(PeriodLine, 0, {}, QStringLiteral("falta el registro 000, el período, en la línea 3"), true);
        if (!m_seenAgent)
            fault(AgentLine, 0, {}, QStringLiteral("falta el registro 010, el agente, en la línea 4"), true);
        if (!m_eofLine)
            fault(lastLine, 0, {}, QStringLiteral("falta la línea Eof al final: el archivo está cortado"), true);
        if (lastLine >= 2)
            checkVerification();
        checkFileName();
        // In a file cut short the clients are missing with the rest.
        if (m_eofLine)
            for (const auto& [line, cuit] : std::as_const(m_references))
                if (!m_clients.contains(cuit))
                    fault(line, 2, QStringLiteral("Cuit"),
                          QStringLiteral("el C.U.I.T. %1 no está entre los clientes (registros 040)").arg(shown(cuit)));
        std::stable_sort(m_report.faults.begin(), m_report.faults.end(),
                         [](const Fault& a, const Fault& b) { return a.line < b.line; });
        m_report.summary = m_summary;
    }

    void checkVerification()
    {
        if (m_verification.size() != 5) {
            fault(2, 0, QStringLiteral("verificación"),
                  QStringLiteral("debe tener 5 caracteres y tiene %1").arg(m_verification.size()), true);
            return;
        }
        if (!m_periodKnown || !m_agentKnown)
            return;  // the record at fault is named already
        try {
            m_summary.codigo = CodigoControl(m_summary.anio, m_summary.anticipo, m_summary.cuit);
            if (Encriptar(m_summary.codigo) != m_verification)
                fault(2, 0, QStringLiteral("verificación"),
                      QStringLiteral("no corresponde al período (registro 000) ni al C.U.I.T. del agente "
                                     "(registro 010)"),
                      true);
        } catch (const store::StoreError& e) {
            fault(2, 0, QStringLiteral("verificación"), e.text(), true);
        }
    }

    void checkFileName()
    {
        if (m_report.fileName.isEmpty() || !m_periodKnown || !m_agentKnown)
            return;
        const QString expected = declarationFileName(m_summary.cuit, m_summary.anio, m_summary.anticipo);
        if (m_report.fileName.compare(expected, Qt::CaseInsensitive) != 0)
            fault(0, 0, QStringLiteral("nombre del archivo"),
                  QStringLiteral("el archivo se llama %1 y, por su agente y su período, debe llamarse %2")
                      .arg(m_report.fileName, expected),
                  true);
    }

    QByteArrayView m_bytes;
    Report m_report;
    Summary m_summary;
    int m_line = 0;  // of the record being taken
    int m_rank = 2;
    int m_eofLine = 0;
    int m_lfOnly = 0, m_lfOnlyLine = 0;
    QByteArray m_verification;
    bool m_seenPeriod = false, m_periodKnown = false;
    bool m_seenAgent = false, m_agentKnown = false;
    QHash<QString, int> m_clients;  // C.U.I.T. of each "040" record, with its line
    QString m_lastClient;
    int m_clientLine = 0;
    QList<std::pair<int, QString>> m_references;  // the clients of "020" and "030" records
};

}  // namespace

Report checkBytes(QByteArrayView bytes, const QString& fileName) { return Checker(bytes, fileName).run(); }

Report checkFile(const QString& path) { return checkFile(path, QFileInfo(path).fileName()); }

Report checkFile(const QString& path, const QString& name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw store::StoreError(store::FileError,
                                QStringLiteral("No se puede leer el archivo %1: %2")
                                    .arg(QDir::toNativeSeparators(path), store::fileErrorReason(file, path)));
    if (file.size() == 0)
        return checkBytes({}, name);
    // Mapped rather than read: a large declaration is not copied into memory.
    if (const uchar* mapped = file.map(0, file.size()))
        return checkBytes(QByteArrayView(mapped, file.size()), name);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw store::StoreError(store::FileError,
                                QStringLiteral("No se puede leer el archivo %1: %2")
                                    .arg(QDir::toNativeSeparators(path), store::fileErrorReason(file, path)));
    return checkBytes(bytes, name);
}

QString faultText(const Fault& fault)
{
    QString where;
    if (fault.line > 0)
        where = QStringLiteral("Línea %1").arg(fault.line);
    if (fault.position > 0)
        where += (where.isEmpty() ? QString() : QStringLiteral(", ")) +
                 (fault.field.isEmpty() ? QStringLiteral("campo %1").arg(fault.position)
                                        : QStringLiteral("campo %1 (%2)").arg(fault.position).arg(fault.field));
    else if (!fault.field.isEmpty())
        where += (where.isEmpty() ? QString() : QStringLiteral(", ")) + fault.field;
    if (where.isEmpty())
        where = QStringLiteral("Archivo");
    where[0] = where[0].toUpper();
    return where + QStringLiteral(": ") + fault.text;
}

namespace {

QString counted(int total, int voided, const char* voidedOne, const char* voidedMany)
{
    if (voided == 0)
        return QString::number(total);
    return QStringLiteral("%1 (%2 %3)")
        .arg(total)
        .arg(voided)
        .arg(QString::fromUtf8(voided == 1 ? voidedOne : voidedMany));
}

}  // namespace

QString reportText(const Report& report)
{
    QStringList lines;
    if (report.ok()) {
        const Summary& s = report.summary;
        lines << QStringLiteral("El archivo %1 es una declaración correcta.").arg(report.fileName) << QString()
              << QStringLiteral("Agente: %1 %2").arg(s.cuit, s.nombre)
              << QStringLiteral("Período: año %1, anticipo %2").arg(s.anio, s.anticipo)
              << QStringLiteral("Rectificativa: %1").arg(s.rectificativa)
              << QStringLiteral("Código de control: %1").arg(s.codigo)
              << QStringLiteral("Formularios: %1").arg(counted(s.forms, s.formsVoided, "anulado", "anulados"))
              << QStringLiteral("Máquinas: %1").arg(counted(s.machines, s.machinesVoided, "anulada", "anuladas"))
              << QStringLiteral("Clientes: %1").arg(s.clients);
        return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    const qsizetype n = report.faults.size();
    lines << (n == 1
                  ? QStringLiteral("El archivo %1 no es una declaración válida: tiene un error.").arg(report.fileName)
                  : QStringLiteral("El archivo %1 no es una declaración válida: tiene %2 errores.")
                        .arg(report.fileName)
                        .arg(n))
          << QString();
    for (const Fault& fault : report.faults)
        lines << faultText(fault);
    if (report.truncated)
        lines << QString() << QStringLiteral("Hay más errores; se muestran los primeros %1.").arg(MaxFaults);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace declcheck
