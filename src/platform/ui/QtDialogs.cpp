#include "platform/ui/QtDialogs.h"

#include "platform/ui/QtText.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>

#include <memory>

namespace {
struct TButtonMap {
    unsigned Bit;
    QMessageBox::StandardButton Button;
    int Result;
};
const TButtonMap buttonMap[] = {
    {mbYes, QMessageBox::Yes, mrYes}, {mbNo, QMessageBox::No, mrNo}, {mbOK, QMessageBox::Ok, mrOk},
    {mbCancel, QMessageBox::Cancel, mrCancel}, {mbAbort, QMessageBox::Abort, mrAbort},
    {mbRetry, QMessageBox::Retry, mrRetry}, {mbIgnore, QMessageBox::Ignore, mrIgnore},
    {mbAll, QMessageBox::YesToAll, mrAll}, {mbHelp, QMessageBox::Help, mrNone},
};
}

int TQtDialogs::MessageBox(const std::string& Text, const std::string& Caption, TMsgDlgType Type,
    TMsgDlgButtons Buttons)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(ToQ(Caption));
    box.setText(ToQ(Text));
    switch (Type) {
    case mtWarning: box.setIcon(QMessageBox::Warning); break;
    case mtError: box.setIcon(QMessageBox::Critical); break;
    case mtInformation: box.setIcon(QMessageBox::Information); break;
    case mtConfirmation: box.setIcon(QMessageBox::Question); break;
    case mtCustom: break;
    }
    QMessageBox::StandardButtons set;
    for (const auto& m : buttonMap)
        if (Buttons & m.Bit)
            set |= m.Button;
    if (!set)
        set = QMessageBox::Ok;
    box.setStandardButtons(set);
    int pressed = box.exec();
    for (const auto& m : buttonMap)
        if (pressed == m.Button)
            return m.Result;
    // Closed with Esc or the window's close box.
    return ClosedBoxAnswer(Buttons);
}

QString TQtDialogs::QtFilter(const std::string& Filter)
{
    QStringList parts = ToQ(Filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        QString pattern = parts[i + 1];
        pattern.replace(';', ' ');
        out << (label.contains('(') ? label : label + " (" + pattern + ")");
    }
    return out.join(";;");
}

static QFileDialog* makeDialog(const TFileDialogRequest& r)
{
    auto* d = new QFileDialog(QApplication::activeWindow(), ToQ(r.Title), PathToQ(r.InitialDir),
        TQtDialogs::QtFilter(r.Filter));
    d->setDefaultSuffix(ToQ(r.DefaultExt));
    if (!r.FileName.empty())
        d->selectFile(PathToQ(r.FileName));
    return d;
}

bool TQtDialogs::OpenFile(const TFileDialogRequest& Request, std::string& FileName)
{
    std::unique_ptr<QFileDialog> d(makeDialog(Request));
    d->setAcceptMode(QFileDialog::AcceptOpen);
    d->setFileMode(QFileDialog::ExistingFile);
    if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty())
        return false;
    FileName = PathFromQ(d->selectedFiles().front());
    return true;
}

bool TQtDialogs::SaveFile(const TFileDialogRequest& Request, std::string& FileName)
{
    std::unique_ptr<QFileDialog> d(makeDialog(Request));
    d->setAcceptMode(QFileDialog::AcceptSave);
    d->setOption(QFileDialog::DontConfirmOverwrite, false);
    if (d->exec() != QDialog::Accepted || d->selectedFiles().isEmpty())
        return false;
    FileName = PathFromQ(d->selectedFiles().front());
    return true;
}

bool TQtDialogs::PrintDialog(const TPrintDialogRequest& Request, TPrintDialogAnswer& Answer)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(Request.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintDialog d(&printer, QApplication::activeWindow());
    // Printing into a PDF file stays offered: on a machine without printers it is the only way to print.
    QAbstractPrintDialog::PrintDialogOptions o = QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintCollateCopies;
    if (Request.AllowSelection)
        o |= QAbstractPrintDialog::PrintSelection;
    if (Request.AllowPageNumbers)
        o |= QAbstractPrintDialog::PrintPageRange;
    d.setOptions(o);
    d.setMinMax(Request.MinPage, Request.MaxPage);
    printer.setFromTo(Request.FromPage, Request.ToPage);
    if (d.exec() != QDialog::Accepted)
        return false;
    switch (d.printRange()) {
    case QAbstractPrintDialog::Selection:
    case QAbstractPrintDialog::CurrentPage: Answer.Range = prSelection; break;
    case QAbstractPrintDialog::PageRange: Answer.Range = prPageNums; break;
    default: Answer.Range = prAllPages; break;
    }
    Answer.FromPage = printer.fromPage();
    Answer.ToPage = printer.toPage();
    Answer.Copies = printer.copyCount();
    Answer.Collate = printer.collateCopies();
    Answer.PrinterName = FromQ(printer.printerName());
    Answer.OutputFileName =
        printer.outputFormat() == QPrinter::PdfFormat ? QFile::encodeName(printer.outputFileName()).toStdString() : "";
    return true;
}
