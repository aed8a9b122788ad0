// The output buttons: printer choice, printing, preview and saving. Errors of
// the printer and file layers end the action and show in the error box.
#include "UOxeln.h"

#include "AppError.h"
#include "ErrorBox.h"
#include "PreviewPanel.h"
#include "Printing.h"
#include "PupilSheet.h"
#include "RichTextView.h"
#include "Saving.h"
#include "SpinEdit.h"

#include <QCheckBox>

template<typename Action> static void reportingErrors(QWidget *window, Action action)
{
    try {
        action();
    } catch (const oxeln::AppError &error) {
        oxeln::ShowErrorBox(window, error.message());
    }
}

void TForm1::btnChoixImpClick()
{
    reportingErrors(this, [this] { oxeln::ChooseCurrentPrinter(this); });
}

void TForm1::btnImprimeClick()
{
    reportingErrors(this, [this] {
        if (withVersions()) {
            printVersions();
            return;
        }
        oxeln::PrintWorksheet(*RxE1->document(), *RxE2->document(), RxE1->logicalDpiX(), spSujets->value(),
                              spCorriges->value(), CBCorrige->isChecked());
    });
}

void TForm1::btnApercuClick()
{
    reportingErrors(this, [this] { ScrollBox1->preview(*RxE1->document(), RxE1->logicalDpiX()); });
}

void TForm1::btnEnregistreClick()
{
    reportingErrors(this, [this] {
        if (withVersions()) {
            saveVersions();
            return;
        }
        // The pupils' page and the Moodle quiz are made from the questions as
        // drawn, not from the views.
        const oxeln::PupilSheet drawn{m_worksheet.referenceCode(), m_worksheet.titles(), m_worksheet.questions()};
        oxeln::SaveWorksheet(this, *RxE1->document(), *RxE2->document(), RxE1->logicalDpiX(),
                             m_worksheet.referenceCode(), SaveDialog1->property("InitialDir").toString(),
                             oxeln::RunSaveDialog, &drawn);
    });
}
