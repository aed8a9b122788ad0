// Versions in the window: with more than one, "Imprimer" and "Enregistrer"
// make every version, A being the views (hand edits included) and B, C...
// the worksheet's recorded clicks drawn again from the composer's version
// seeds, so that they are the sheets oxeln-compose --versions gives.
#include "UOxeln.h"

#include "ExercisePalette.h"
#include "MarkupToRtf.h"
#include "Printing.h"
#include "PupilSheet.h"
#include "RichTextView.h"
#include "Saving.h"
#include "SpinEdit.h"
#include "ViewDocument.h"

#include <QCheckBox>
#include <QTextDocument>

#include <vector>

namespace {

// A version's document as the views would show it.
std::unique_ptr<QTextDocument> viewDocumentOf(const std::string &markup, qreal dpi)
{
    const std::string rtf = oxeln::MarkupToRtf(markup);
    return oxeln::ReadViewDocument(QByteArray::fromRawData(rtf.data(), qsizetype(rtf.size())), dpi);
}

// Version A as the views hold it, B... as drawn again; one document of
// theirs made at a time.
class WindowVersions : public oxeln::WorksheetVersions
{
public:
    WindowVersions(const QTextDocument &subjectA, const QTextDocument &answerA, const oxeln::Worksheet &worksheet,
                   std::vector<oxeln::compose::ComposedWorksheet> others, qreal dpi)
        : m_subjectA(subjectA), m_answerA(answerA), m_worksheet(worksheet), m_others(std::move(others)), m_dpi(dpi)
    {
    }

    int count() const override { return 1 + static_cast<int>(m_others.size()); }

    const QTextDocument &document(int version, bool answer) override
    {
        if (version == 0)
            return answer ? m_answerA : m_subjectA;
        const oxeln::compose::ComposedWorksheet &sheet = m_others.at(std::size_t(version - 1));
        m_loaded.reset(); // before the next one is read
        m_loaded = viewDocumentOf(answer ? sheet.answer : sheet.subject, m_dpi);
        return *m_loaded;
    }

    oxeln::PupilSheet drawn(int version) override
    {
        if (version == 0)
            return {m_worksheet.referenceCode(), m_worksheet.titles(), m_worksheet.questions()};
        const oxeln::compose::ComposedWorksheet &sheet = m_others.at(std::size_t(version - 1));
        return {sheet.referenceCode, sheet.titles, sheet.questions};
    }

private:
    const QTextDocument &m_subjectA;
    const QTextDocument &m_answerA;
    const oxeln::Worksheet &m_worksheet;
    std::vector<oxeln::compose::ComposedWorksheet> m_others;
    qreal m_dpi;
    std::unique_ptr<QTextDocument> m_loaded;
};

} // namespace

void TForm1::saveVersions()
{
    if (!versionsMayLoseHandEdits())
        return;
    std::vector<oxeln::compose::ComposedWorksheet> others;
    m_clicks.versions(m_exercises->versions(), m_worksheet.referenceCode(),
                      [&others](int, oxeln::compose::ComposedWorksheet &&sheet) {
                          others.push_back(std::move(sheet));
                          return true;
                      });
    WindowVersions versions(*RxE1->document(), *RxE2->document(), m_worksheet, std::move(others),
                            RxE1->logicalDpiX());
    oxeln::SaveWorksheetVersions(this, versions, RxE1->logicalDpiX(), m_worksheet.referenceCode(),
                                 SaveDialog1->property("InitialDir").toString());
}

void TForm1::printVersions()
{
    // As for one version: an empty subject prints nothing.
    if (RxE1->LineCount() < 1 || !versionsMayLoseHandEdits())
        return;
    // Events run while the jobs spool: a click meanwhile changes neither the
    // set being printed nor its numbers of copies.
    const oxeln::ClickRecord clicks = m_clicks;
    const std::string codeA = m_worksheet.referenceCode();
    const qreal dpi = RxE1->logicalDpiX();
    const int subjects = spSujets->value();
    const int answers = spCorriges->value();
    const bool answerKey = CBCorrige->isChecked();
    oxeln::PrintWorksheet(*RxE1->document(), *RxE2->document(), dpi, subjects, answers, answerKey);
    // One version's documents at a time.
    clicks.versions(m_exercises->versions(), codeA, [&](int, oxeln::compose::ComposedWorksheet &&sheet) {
        const auto subject = viewDocumentOf(sheet.subject, dpi);
        const auto answer = viewDocumentOf(sheet.answer, dpi);
        oxeln::PrintWorksheet(*subject, *answer, dpi, subjects, answers, answerKey);
        return true;
    });
}
