// The verifier (declcheck::checkFile) on large declarations beside a floor measured in the same
// run: a plain C++ check of the same file with buffered reads — quoting, field counts, widths,
// check digits, the order of the clients and the rows' clients — and nothing else. By default
// files of 100,000 and 1,000,000 printed-forms rows (a tenth as many machine rows, as many
// clients); medians of 5 rounds, the ratio taken round by round. Peak memory is measured in a
// child process per run. Then a file of about 1 GB for memory alone, and a FIFO, which must be
// refused at once.
// Usage: bench_verifier [rounds] [rows...]   (rows 0 skips the 1 GB file)
//        bench_verifier --child verifier|floor <file>   (one run, for its peak memory)
//        bench_verifier --write <rows> <file>   (only writes the declaration)

#include "BenchTools.h"
#include "SampleCuit.h"
#include "data/store/StoreError.h"
#include "declaration/DeclarationCheck.h"
#include "declaration/DeclarationFile.h"
#include "declaration/DeclarationRecords.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const Agent = "20123456786";

std::string cuit(int n) { return fixture::cuitFor(n, "30").toStdString(); }

// A declaration as the writer gives it for a period of `rows` printed-forms rows, rows / 10
// machine rows and `rows` clients; the rows section written `repeats` times (a larger file
// with the same clients, the machines' likewise). Windows-1252 bytes, CR LF.
qint64 writeDeclaration(const QString& path, int rows, int repeats = 1)
{
    FILE* out = std::fopen(QFile::encodeName(path).constData(), "wb");
    std::vector<char> buffer(1 << 20);
    std::setvbuf(out, buffer.data(), _IOFBF, buffer.size());
    const QString code = CodigoControl(QStringLiteral("2024"), QStringLiteral("03"), QString::fromLatin1(Agent));
    std::fprintf(out, "TARVENIOV1.2\r\n%s\r\n'000','2024','03','0';\r\n", Encriptar(code).constData());
    std::fprintf(out,
                 "'010','%s','GR\xC1"
                 "FICA DEL LITORAL','S','N','N','901-123456-7','SAN MART\xCDN 1234',"
                 "'PARAN\xC1','3100','ENTRE R\xCDOS';\r\n",
                 Agent);
    const int clients = rows;
    for (int r = 0; r < repeats; ++r)
        for (int i = 1; i <= rows; ++i) {
            const int n = int((qint64(i) * 31) % clients);
            std::fprintf(out,
                         "'020','%s','CONTRIBUYENTE %d O''NEILL Y C\xCD"
                         "A. S.A.','%02d/03/2024','FACTURA %c','50',"
                         "'%lld','%lld','','','%04d','%s','%s';\r\n",
                         cuit(n).c_str(), n, 1 + i % 28, 'A' + i % 3, qint64(i) * 50 + 1, qint64(i) * 50 + 50,
                         1 + i % 20, i % 50 == 0 ? "S" : "N", i % 3 == 0 ? "" : "N");
        }
    for (int r = 0; r < repeats; ++r)
        for (int i = 1; i <= rows / 10; ++i) {
            const int n = int((qint64(i) * 97) % clients);
            std::fprintf(out,
                         "'030','%s','CONTRIBUYENTE %d O''NEILL Y C\xCD"
                         "A. S.A.','%02d/03/2024','MARCA %d',"
                         "'MODELO %d','%s','','','AP%d','0001','SERIE-%d','N';\r\n",
                         cuit(n).c_str(), n, 1 + i % 28, i % 12, i % 40, i % 2 ? "1500" : "123456,78", i, i);
        }
    for (int n = 0; n < clients; ++n)
        std::fprintf(out,
                     "'040','%s','CONTRIBUYENTE %d O''NEILL Y C\xCD"
                     "A. S.A.','901-%d','AVENIDA SAN MART\xCDN %d',"
                     "'LOCALIDAD %d','%d','SANTA FE';\r\n",
                     cuit(n).c_str(), n, n, n % 5000, n % 300, 3000 + n % 900);
    std::fputs("Eof\r\n", out);
    const qint64 size = std::ftell(out);
    std::fclose(out);
    return size;
}

// The floor: the same file read with buffered reads and checked with plain C++.
class Floor {
public:
    Floor()
    {
        for (int rank = 0; rank < 5; ++rank) {
            const char type[] = {'0', char('0' + rank), '0', 0};
            const auto* layout = declcheck::records::layoutOf(type);
            for (const auto& field : layout->fields)
                m_widths[rank].push_back(field.table ? field.width : 1 << 30);
        }
    }

    // The number of faults found.
    long run(const char* path)
    {
        FILE* in = std::fopen(path, "rb");
        if (!in)
            return -1;
        std::vector<char> block(1 << 20);
        std::string carry;
        size_t n;
        while ((n = std::fread(block.data(), 1, block.size(), in)) > 0) {
            const char* p = block.data();
            const char* end = p + n;
            while (p < end) {
                const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
                if (!lf) {
                    carry.append(p, end);
                    break;
                }
                if (carry.empty()) {
                    line(std::string_view(p, size_t(lf - p)));
                } else {
                    carry.append(p, lf);
                    line(carry);
                    carry.clear();
                }
                p = lf + 1;
            }
        }
        std::fclose(in);
        std::sort(m_references.begin(), m_references.end());
        m_references.erase(std::unique(m_references.begin(), m_references.end()), m_references.end());
        // The clients came in ascending order, checked on the way: a merge finds the rows'.
        size_t c = 0;
        for (const quint64 r : m_references) {
            while (c < m_clients.size() && m_clients[c] < r)
                ++c;
            m_faults += c == m_clients.size() || m_clients[c] != r;
        }
        return m_faults;
    }

private:
    static bool validCuit(std::string_view v)
    {
        if (v.size() != 11)
            return false;
        static const int weights[] = {5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
        int sum = 0;
        for (int i = 0; i < 11; ++i)
            if (v[i] < '0' || v[i] > '9')
                return false;
        for (int i = 0; i < 10; ++i)
            sum += (v[i] - '0') * weights[i];
        const int check = 11 - sum % 11;
        return v[10] - '0' == (check >= 10 ? 0 : check);
    }

    static quint64 number(std::string_view v)
    {
        quint64 n = 0;
        for (const char c : v)
            n = n * 10 + quint64(c - '0');
        return n;
    }

    void line(std::string_view text)
    {
        ++m_line;
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        else
            ++m_faults;
        if (m_line <= 2 || text == "Eof")
            return;
        // Quoted fields, a doubled quote inside a value, "," between and ";" at the end.
        std::string_view fields[16];
        int count = 0;
        size_t i = 0, used = 0;  // values with a doubled quote are copied into m_scratch
        if (m_scratch.size() < text.size())
            m_scratch.resize(text.size());
        for (;;) {
            if (i >= text.size() || text[i] != '\'') {
                ++m_faults;
                return;
            }
            const size_t start = ++i;
            bool copied = false;
            const size_t from = used;
            for (;;) {
                const size_t q = text.find('\'', i);
                if (q == std::string_view::npos) {
                    ++m_faults;
                    return;
                }
                if (q + 1 < text.size() && text[q + 1] == '\'') {
                    std::memcpy(m_scratch.data() + used, text.data() + i, q - i);
                    used += q - i;
                    m_scratch[used++] = '\'';
                    copied = true;
                    i = q + 2;
                    continue;
                }
                if (copied) {
                    std::memcpy(m_scratch.data() + used, text.data() + i, q - i);
                    used += q - i;
                }
                if (count < 16)
                    fields[count] =
                        copied ? std::string_view(m_scratch.data() + from, used - from) : text.substr(start, q - start);
                ++count;
                i = q + 1;
                break;
            }
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            if (i + 1 != text.size() || text[i] != ';') {
                ++m_faults;
                return;
            }
            break;
        }
        const std::string_view type = fields[0];
        if (type.size() != 3 || type[0] != '0' || type[1] < '0' || type[1] > '4' || type[2] != '0') {
            ++m_faults;
            return;
        }
        const int rank = type[1] - '0';
        const std::vector<int>& widths = m_widths[rank];
        if (count != int(widths.size())) {
            ++m_faults;
            return;
        }
        for (int f = 0; f < count; ++f)
            m_faults += int(fields[f].size()) > widths[f];
        if (rank == 1)
            m_faults += !validCuit(fields[1]);
        if (rank == 2 || rank == 3)
            m_references.push_back(number(fields[1]));
        if (rank == 4) {
            if (!validCuit(fields[1])) {
                ++m_faults;
                return;
            }
            const quint64 client = number(fields[1]);
            m_faults += !m_clients.empty() && client <= m_clients.back();
            m_clients.push_back(client);
        }
    }

    std::vector<int> m_widths[5];
    std::vector<quint64> m_references, m_clients;
    std::string m_scratch;
    long m_line = 0, m_faults = 0;
};

// One run in a process of its own, which tells its peak resident memory: in MiB, or -1.
double peakMiB(const char* what, const QString& path)
{
    const QByteArray command = QFile::encodeName(QCoreApplication::applicationFilePath()) + " --child " + what + " '" +
                               QFile::encodeName(path) + "'";
    FILE* child = ::popen(command.constData(), "r");
    if (!child)
        return -1;
    long kb = -1;
    if (std::fscanf(child, "%ld", &kb) != 1)
        kb = -1;
    return ::pclose(child) == 0 ? double(kb) / 1024 : -1;
}

// Prints the peak resident memory of one run, in kB.
int child(const char* what, const char* path)
{
    if (std::strcmp(what, "floor") == 0)
        Floor().run(path);
    else
        declcheck::checkFile(QFile::decodeName(path));
    std::printf("%ld\n", peakRssKb());
    return 0;
}

void measure(const QString& path, int rounds)
{
    QList<double> verifier, floor, ratio;
    bool ok = true;
    long floorFaults = 0;
    for (int round = 0; round < rounds; ++round) {
        double v = 0, f = 0;
        // Each goes first every other round: neither always finds the file warmer.
        const auto runVerifier = [&] { v = timed([&] { ok = declcheck::checkFile(path).ok() && ok; }); };
        const auto runFloor = [&] {
            f = timed([&] { floorFaults = Floor().run(QFile::encodeName(path).constData()); });
        };
        if (round % 2) {
            runFloor();
            runVerifier();
        } else {
            runVerifier();
            runFloor();
        }
        verifier << v;
        floor << f;
        ratio << v / f;
    }
    const double mv = peakMiB("verifier", path), mf = peakMiB("floor", path);
    std::printf("  verifier %8.3f s   floor %8.3f s   ratio %.2fx (target 1.5x)%s   %s, floor %ld faults\n",
                median(verifier) / 1000, median(floor) / 1000, median(ratio), median(ratio) <= 1.5 ? "" : "  MISSED",
                ok ? "sound" : "NOT SOUND", floorFaults);
    std::printf("  peak memory: verifier %.1f MiB (target 64), floor %.1f MiB%s\n", mv, mf, mv < 64 ? "" : "  MISSED");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return child(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--write") == 0)
        return writeDeclaration(QFile::decodeName(argv[3]), atoi(argv[2])) > 0 ? 0 : 1;
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QList<int> sizes;
    for (int i = 2; i < argc; ++i)
        sizes << atoi(argv[i]);
    if (sizes.isEmpty())
        sizes = {100000, 1000000};
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/bench_verifier-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("20123456786202403.imp"));

    for (const int rows : sizes) {
        if (rows <= 0)
            continue;
        const qint64 size = writeDeclaration(path, rows);
        std::printf("%d printed-forms rows, %d machine rows, %d clients: %.1f MB, median of %d rounds\n", rows,
                    rows / 10, rows, double(size) / 1e6, rounds);
        std::fflush(stdout);
        measure(path, rounds);
        std::fflush(stdout);
    }

    if (!sizes.contains(0)) {
        // About 1 GB: as many distinct clients as a file that size holds, each named by a row.
        const int rows = 3400000;
        const qint64 size = writeDeclaration(path, rows);
        std::printf("%d rows and clients, %.2f GB, for memory, one round:\n", rows, double(size) / 1e9);
        std::fflush(stdout);
        measure(path, 1);
        // The same size made of rows repeated: fewer clients, many rows.
        const qint64 repeated = writeDeclaration(path, 100000, 60);
        std::printf("100000 rows written 60 times, 100000 clients, %.2f GB, one round:\n", double(repeated) / 1e9);
        std::fflush(stdout);
        measure(path, 1);
    }
    QFile::remove(path);

    const QString fifo = dir.filePath(QStringLiteral("tuberia.imp"));
    if (::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0) {
        QString text;
        const double ms = timed([&] {
            try {
                declcheck::checkFile(fifo);
            } catch (const store::StoreError& e) {
                text = e.text();
            }
        });
        std::printf("a FIFO: %s in %.2f ms: %s\n", text.isEmpty() ? "READ" : "refused", ms, qPrintable(text));
    }
    return 0;
}
