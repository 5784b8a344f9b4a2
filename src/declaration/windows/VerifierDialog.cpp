#include "VerifierDialog.h"

#include "data/Prompt.h"
#include "widgets/DialogParts.h"
#include "widgets/ModalDialog.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

VerifierDialog::VerifierDialog(const QString& path, const declcheck::Report& report, QWidget* parent)
    : FormDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FVerificar"));
    setPlacement(Placement::Screen);
    setWindowTitle(QStringLiteral("Verificar Declaración"));
    setFixedSize(640, 480);

    auto* group = new QGroupBox(QStringLiteral("Declaración"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setGeometry(10, 8, 620, 414);
    parts::label("Label1", QStringLiteral("Archivo:"), QRect(12, 26, 70, 24), group);
    Edit1 = parts::place(new QLineEdit(QDir::toNativeSeparators(path), group), "Edit1", QRect(84, 24, 522, 28));
    Edit1->setReadOnly(true);
    Edit1->setCursorPosition(0);

    const qsizetype faults = report.faults.size();
    const QString verdict = report.ok()   ? QStringLiteral("La declaración es correcta.")
                            : faults == 1 ? QStringLiteral("La declaración tiene un error.")
                                          : QStringLiteral("La declaración tiene %1 errores.").arg(faults);
    Label2 = parts::label("Label2", verdict, QRect(12, 60, 594, 26), group);
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    QPalette palette = Label2->palette();
    palette.setColor(QPalette::WindowText, report.ok() ? parts::Navy : parts::Maroon);
    Label2->setPalette(palette);

    Memo1 = parts::place(new QPlainTextEdit(group), "Memo1", QRect(12, 92, 594, 308));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setPlainText(declcheck::reportText(report));

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("&Aceptar"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(270, 436, 100, 34);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void VerifierDialog::showEvent(QShowEvent* event)
{
    FormDialog::showEvent(event);
    BitBtn1->setFocus(Qt::OtherFocusReason);
}

void VerifierDialog::verifyChosenFile(const QString& folder, QWidget* parent)
{
    Prompt& prompt = Prompt::current();
    const QString path = prompt.openFileName(QStringLiteral("Verificar Declaración"), folder,
                                             QStringLiteral("Declaraciones (*.imp);;Todos los Archivos (*.*) (*)"));
    if (path.isEmpty())
        return;
    declcheck::Report report;
    {
        BusyScope busy(prompt);
        report = declcheck::checkFile(path);
    }
    VerifierDialog window(path, report, parent);
    showModal(window);
}
