#include "UReparar.h"

#include "data/Prompt.h"
#include "data/Schema.h"
#include "data/UModulo.h"
#include "data/store/Session.h"
#include "data/store/StoreError.h"
#include "maintenance/TBDEUtil.h"
#include "maintenance/TableRepair.h"
#include "widgets/DialogParts.h"
#include "widgets/StandardError.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

FormInstance<TFReparacion> FReparacion;

namespace {

constexpr int ReportHeight = 150;  // the dialog grows by this to show what became of each table

QFont boldFont(int pointSize)
{
    QFont font;
    font.setPointSize(pointSize);
    font.setBold(true);
    return font;
}

QLabel* statusText(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(2, 2, parent->width() - 4, parent->height() - 4);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);  // for larger fonts than ours; the texts break their lines themselves
    label->setFont(boldFont(11));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, parts::Navy);
    label->setPalette(palette);
    label->hide();
    return label;
}

QPushButton* bigButton(const QString& name, const QString& text, const QIcon& icon, const QRect& geometry,
                       QWidget* parent)
{
    auto* button = new QPushButton(icon, text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setFont(boldFont(12));
    button->setIconSize(QSize(24, 24));
    return button;
}

}  // namespace

TFReparacion::TFReparacion(QWidget* parent)
    : FormDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                             Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setPlacement(Placement::MainWindow);  // centred on the main window every time, wherever it has gone
    setObjectName(QStringLiteral("FReparacion"));
    setWindowTitle(QStringLiteral("Reparación de Tablas"));
    setFixedSize(453, 341);

    Session1 = new store::Session(QStringLiteral("Session1"), schema::tables(), schema::references(), this);
    Session1->setDatabaseName(QStringLiteral("Imprentas"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    Panel1->setGeometry(0, 0, 453, 341);

    Panel2 = new QFrame(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setLineWidth(2);
    Panel2->setGeometry(16, 16, 421, 146);
    Panel2->setAutoFillBackground(true);

    Memo1 = statusText(QStringLiteral("Memo1"), QStringLiteral("Herramienta de Reparación"), Panel2);
    Memo2 = statusText(QStringLiteral("Memo2"),
                       QStringLiteral("\nAguarde un Instante se está \nReparando la Base de Datos .....\n"), Panel2);
    Memo3 = statusText(QStringLiteral("Memo3"), QStringLiteral("La Reparación se ha completado con exito."), Panel2);
    Memo4 = statusText(QStringLiteral("Memo4"),
                       QStringLiteral("No se ha podido Reparar la totalidad de la \nBase de Datos.\n"
                                      "Comuníquese con la Dirección de Recaudación\n"
                                      "Provincial o con su delegación más cercana."),
                       Panel2);
    Memo1->show();

    GroupBox1 = new QGroupBox(QStringLiteral("  Progreso de la Reparación  "), Panel1);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(16, 172, 421, 66);
    const QColor plainText = palette().color(QPalette::WindowText);
    QPalette title = GroupBox1->palette();
    title.setColor(QPalette::WindowText, parts::Maroon);
    title.setColor(QPalette::Text, parts::Maroon);  // the title's colour in some styles
    GroupBox1->setPalette(title);

    ProgressBar1 = new QProgressBar(GroupBox1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(14, 28, 393, 24);
    QPalette bar = ProgressBar1->palette();  // the title's colour is not the bar's
    bar.setColor(QPalette::WindowText, plainText);
    bar.setColor(QPalette::Text, plainText);
    ProgressBar1->setPalette(bar);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);

    BitBtn1 = bigButton(QStringLiteral("BitBtn1"), QStringLiteral("    &Reparar"),
                        style()->standardIcon(QStyle::SP_BrowserReload), QRect(16, 252, 200, 72), Panel1);
    BitBtn2 = bigButton(QStringLiteral("BitBtn2"), QStringLiteral("        &Salir"),
                        style()->standardIcon(QStyle::SP_DialogCloseButton), QRect(237, 252, 200, 72), Panel1);
    connect(BitBtn1, &QPushButton::clicked, this, guarded(this, &TFReparacion::BitBtn1Click));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(this, &TFReparacion::BitBtn2Click));

    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems(tablerepair::tableBases());
    ComboBox1->hide();

    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->hide();

    Informe = new QPlainTextEdit(Panel1);
    Informe->setObjectName(QStringLiteral("Informe"));
    Informe->setGeometry(16, 172, 421, ReportHeight - 10);
    Informe->setReadOnly(true);
    Informe->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Informe->hide();
}

TFReparacion::~TFReparacion() = default;

void TFReparacion::showEvent(QShowEvent* event)
{
    FormDialog::showEvent(event);
    // A window brought back from the task bar is not a new showing.
    if (!event->spontaneous())
        runHandler([this] { FormShow(); });
}

void TFReparacion::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        runHandler([this] { FormClose(); });
}

void TFReparacion::FormShow()
{
    showReport(false);
    BitBtn1->setEnabled(true);
    m_ran = false;
    Memo2->hide();
    Memo3->hide();
    Memo4->hide();
    Memo1->show();
    // The same store configuration as the data module, and the same folder when the run was
    // started on another one than the alias's.
    Session1->setAliasConfig(DModulo ? DModulo->config : nullptr);
    Session1->setFolderOverride(DModulo ? DModulo->Session1_1->folderOverride() : QString());
    m_util = std::make_unique<TBDEUtil>();
    Edit1->clear();
}

void TFReparacion::FormClose()
{
    const std::unique_ptr<TBDEUtil> util = std::move(m_util);
    Session1->setActive(false);
    if (util)
        util->close();
}

void TFReparacion::BitBtn1Click()
{
    BusyScope busy(Prompt::current());
    Memo1->hide();
    Memo2->show();
    Panel2->repaint();
    ProgressBar1->setRange(0, ComboBox1->count());
    ProgressBar1->setValue(0);
    m_run = {};
    if (!m_util)  // its start failed when the dialog was shown
        m_util = std::make_unique<TBDEUtil>();
    tablerepair::RunHooks hooks;
    hooks.starting = [this](int index, const QString& base) {
        ComboBox1->setCurrentIndex(index);
        Edit1->setText(QDir::toNativeSeparators(QDir(Session1->folder()).filePath(base)));
        ProgressBar1->setValue(index + 1);
    };
    try {
        tablerepair::repairAll(*m_util, Prompt::current(), Session1->folder(), m_run, hooks);
    } catch (...) {
        // The tables done so far stay rebuilt; the error goes on to the standard error box.
        finishRun();
        throw;
    }
    finishRun();
}

void TFReparacion::finishRun()
{
    // An empty bar, not the toolkit's busy bar that a maximum of 0 would show.
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    Memo2->hide();
    BitBtn1->setEnabled(false);
    m_ran = true;
    (m_run.complete() ? Memo3 : Memo4)->show();
    QStringList report = m_run.report;
    if (!m_run.complete()) {
        try {
            report << QString() << tablerepair::wayBack(Session1->folder());
        } catch (const store::StoreError&) {
            // Without the folder there is no copy below it to name.
        }
    }
    Informe->setPlainText(report.join(QLatin1Char('\n')));
    showReport(!m_run.report.isEmpty());
}

// The list of tables sits below the status text; the progress and the buttons move down for it.
void TFReparacion::showReport(bool shown)
{
    if (Informe->isVisibleTo(this) == shown)
        return;
    const int shift = shown ? ReportHeight : -ReportHeight;
    setFixedSize(width(), height() + shift);
    Panel1->resize(Panel1->width(), Panel1->height() + shift);
    for (QWidget* below :
         {static_cast<QWidget*>(GroupBox1), static_cast<QWidget*>(BitBtn1), static_cast<QWidget*>(BitBtn2)})
        below->move(below->x(), below->y() + shift);
    Informe->setVisible(shown);
}

void TFReparacion::BitBtn2Click() { close(); }
