#include "UOxeln.h"

#include "DefaultTitles.h"
#include "ExercisePalette.h"
#include "PreviewPanel.h"
#include "RtfCodePage.h"
#include "RichTextView.h"
#include "SpinEdit.h"

#include <QCheckBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QValidator>

namespace {

const QString kWindowHint = QStringLiteral("Il est possible d'enchaîner plusieurs opérations");

// The window's sans-serif font at a pixel height.
QFont sansFont(int pixels)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(pixels);
    return font;
}

// Titles end up in Windows-1252 documents: refuse what that code page cannot hold.
class Cp1252Validator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        for (const QChar c : std::as_const(input)) {
            if (oxeln::cp1252::fromUnicode(c.unicode()) < 0)
                return Invalid;
        }
        return Acceptable;
    }
};

// Every size that the hicolor theme installs, so that the title bar, the task
// bar and the window switcher each get a drawn size instead of a scaled one.
QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/oxeln/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

// A background always comes with its text colour: a control then reads the
// same under any desktop theme, dark ones included.
void setColours(QWidget *widget, const QColor &background, const QColor &text,
                QPalette::ColorRole role = QPalette::Window)
{
    QPalette colours = widget->palette();
    colours.setColor(role, background);
    colours.setColor(role == QPalette::Base ? QPalette::Text : QPalette::WindowText, text);
    widget->setPalette(colours);
    if (role == QPalette::Window)
        widget->setAutoFillBackground(true);
}

} // namespace

TForm1::TForm1(oxeln::Worksheet &worksheet, QWidget *parent)
    : QWidget(parent), m_worksheet(worksheet)
{
    Q_INIT_RESOURCE(oxeln);
    setObjectName(QStringLiteral("Form1"));
    setFont(sansFont(11));
    setToolTip(kWindowHint);
    setMouseTracking(true);
    // Decoding the eight sizes that the window manager is handed takes longer
    // than anything else the window does of its own before it shows: done
    // once it is up, the title bar gets its icon a moment later.
    QTimer::singleShot(0, this, [this] {
        const QIcon icon = applicationIcon();
        setWindowIcon(icon);
        m_exercises->setWindowIcon(icon);
    });
    resize(732, 420);

    createControls();
    createPanels();
    createStorage();
    setTabOrder();
    createProjection();
    createShortcuts();
    createExercises();
    FormCreate();
}

QWidget *TForm1::place(QWidget *widget, const char *name, const QRect &designed, int anchors)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(designed);
    m_anchored.push_back({widget, designed, anchors});
    return widget;
}

QLabel *TForm1::label(const char *name, const QString &caption, QPoint at, int anchors)
{
    auto *text = new QLabel(caption, this);
    // The labels' places were laid out for a narrower font than ours of the
    // same height: a slightly tighter spacing keeps "Max valeur" and
    // "Corrigés" clear of the spin boxes that follow them.
    QFont font = text->font();
    font.setLetterSpacing(QFont::PercentageSpacing, 94);
    text->setFont(font);
    text->adjustSize();
    place(text, name, QRect(at, text->size()), anchors);
    return text;
}

QPushButton *TForm1::button(const char *name, const QString &caption, const QString &hint,
                            const QRect &designed, int anchors)
{
    auto *push = new QPushButton(caption, this);
    push->setToolTip(hint);
    place(push, name, designed, anchors);
    return push;
}

oxeln::SpinEdit *TForm1::spin(const char *name, int minimum, int maximum, int value, const QString &hint,
                              const QRect &designed, int anchors)
{
    auto *box = new oxeln::SpinEdit(this);
    box->setRange(minimum, maximum);
    box->setValue(value);
    box->setToolTip(hint);
    place(box, name, designed, anchors);
    return box;
}

void TForm1::createControls()
{
    const int none = Left | Top;

    // Top band: drill settings and title lines.
    Label1 = label("Label1", QStringLiteral("Max valeur"), {4, 7}, none);
    spmaxvaleur = spin("spmaxvaleur", 10, 999, 100,
                       QStringLiteral("Valeur maximale d'un nombre. Clic : unités/centaines"),
                       {59, 2, 53, 22}, none);
    spmaxvaleur->setSingleStep(100);
    Label2 = label("Label2", QStringLiteral("Max quest"), {4, 32}, none);
    spMaxLigne = spin("spMaxLigne", 1, 40, 30,
                      QStringLiteral("Nombre maximal de questions posées par opération"), {59, 29, 41, 22}, none);
    Label3 = label("Label3", QStringLiteral("Interligne"), {4, 61}, none);
    spinterligne = spin("spinterligne", 1, 5, 2, QStringLiteral("Espacement entre les lignes"),
                        {59, 56, 41, 22}, none);

    auto titleEdit = [this](const char *name, const QString &text, int limit, const QString &hint,
                            const QRect &designed) {
        auto *edit = new QLineEdit(this);
        edit->setMaxLength(limit);
        edit->setText(text);
        edit->setCursorPosition(0);
        edit->setToolTip(hint);
        edit->setValidator(new Cp1252Validator(edit));
        edit->installEventFilter(this);
        place(edit, name, designed, Left | Top | Right);
        return edit;
    };
    Label4 = label("Label4", QStringLiteral("Titre1"), {125, 8}, none);
    ETitre1 = titleEdit("ETitre1", oxeln::cp1252::decode(oxeln::DefaultTitle1), 160, QStringLiteral("Ligne 1 du titre, modifiable et enregistrée "),
                        {157, 2, 571, 21});
    setColours(ETitre1, Qt::white, Qt::black, QPalette::Base);
    Label5 = label("Label5", QStringLiteral("Titre2"), {126, 34}, none);
    Etitre2 = titleEdit("Etitre2", oxeln::cp1252::decode(oxeln::DefaultTitle2), 170, QStringLiteral("Ligne 2, idem"), {157, 29, 508, 21});
    ckbEdite = new QCheckBox(QStringLiteral("Edite"), this);
    ckbEdite->setToolTip(QStringLiteral("Possibilité d'écrire, modifier sujet/corrigé"));
    place(ckbEdite, "ckbEdite", {674, 31, 51, 17}, Top | Right);
    Label6 = label("Label6", QStringLiteral("Titre3"), {125, 61}, none);
    Etitre3 = titleEdit("Etitre3", oxeln::cp1252::decode(oxeln::DefaultTitle3), 160, QStringLiteral("Ligne 3, idem"), {157, 56, 571, 21});

    // The two views and the link label.
    RxE1 = new oxeln::RichTextView(this);
    RxE1->setPlainText(QStringLiteral("    "));
    RxE1->setToolTip(QStringLiteral("Sujet"));
    place(RxE1, "RxE1", {4, 86, 722, 132}, Left | Top | Right | Bottom);
    RxE2 = new oxeln::RichTextView(this);
    RxE2->setPlainText(QStringLiteral("     "));
    RxE2->setToolTip(QStringLiteral("Corrigé"));
    place(RxE2, "RxE2", {4, 224, 724, 143}, Left | Right | Bottom);
    for (oxeln::RichTextView *view : {RxE1, RxE2}) {
        // Black on white like the printed page: the results' yellow
        // highlight would not read under a theme's light text.
        setColours(view, Qt::white, Qt::black, QPalette::Base);
        view->SetReadOnly(true);
        view->SetWantTabs(false);
        view->viewport()->installEventFilter(this);
        view->installEventFilter(this);
    }
    RxE2->viewport()->setMouseTracking(true);

    Label9 = new QLabel(QStringLiteral("Consultez les ouvrages de mathématiques des Editions GALVERNE"), this);
    Label9->setAlignment(Qt::AlignCenter);
    Label9->setFont(sansFont(13));
    setColours(Label9, QColor(255, 128, 0), QColor(128, 0, 0));
    Label9->setCursor(Qt::PointingHandCursor);
    Label9->setMouseTracking(true);
    Label9->installEventFilter(this);
    place(Label9, "Label9", {1, 370, 727, 16}, Left | Right | Bottom);

    // Bottom bar.
    const int bottomLeft = Left | Bottom;
    const int bottomRight = Right | Bottom;
    btnPlus = button("btnPlus", QStringLiteral("+"), QStringLiteral("Additions"), {6, 389, 28, 25}, bottomLeft);
    btnMoins = button("btnMoins", QStringLiteral("-"), QStringLiteral("Soustractions"), {42, 389, 28, 25},
                      bottomLeft);
    btnMult = button("btnMult", QStringLiteral("x"), QStringLiteral("Multiplications"), {79, 389, 28, 25},
                     bottomLeft);
    btnPuiss = button("btnPuiss", QStringLiteral("^"), QStringLiteral("Puissances"), {115, 389, 28, 25},
                      bottomLeft);
    btnDivise = button("btnDivise", QStringLiteral(":"), QStringLiteral("Divisions"), {151, 389, 28, 25},
                       bottomLeft);
    btnSA = button("btnSA", QStringLiteral("S1"), QStringLiteral("Suites d'additions"), {188, 389, 28, 25},
                   bottomLeft);
    btnSAS = button("btnSAS", QStringLiteral("S2"), QStringLiteral("Suites d'additions et de soustractions"),
                    {224, 389, 28, 25}, bottomLeft);
    CBCorrige = new QCheckBox(QStringLiteral("corrigé"), this);
    CBCorrige->setChecked(true);
    CBCorrige->setToolTip(QStringLiteral("Afficher le corrigé"));
    place(CBCorrige, "CBCorrige", {218, 408, 60, 17}, bottomLeft);
    CBCorrige->hide();
    btnRAZ = button("btnRAZ", QStringLiteral("RAZ"), QStringLiteral("Effacer les énoncés et corrigés"),
                    {261, 389, 41, 25}, bottomLeft);
    pnlNb = new QLabel(QStringLiteral("00"), this);
    pnlNb->setAlignment(Qt::AlignCenter);
    pnlNb->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlNb->setLineWidth(2);
    pnlNb->setFocusPolicy(Qt::NoFocus);
    pnlNb->setToolTip(QStringLiteral("Nb questions déjà présentes"));
    setColours(pnlNb, QColor(0, 128, 128), QColor(0, 255, 0));
    place(pnlNb, "pnlNb", {307, 389, 37, 26}, bottomLeft);
    btnChoixImp = button("btnChoixImp", QStringLiteral("CI"), QStringLiteral("Choix de l'imprimante"),
                         {349, 389, 28, 25}, bottomRight);
    btnApercu = button("btnApercu", QStringLiteral("A"), QStringLiteral("Aperçu avant impression"),
                       {384, 389, 28, 25}, bottomRight);
    Label7 = label("Label7", QStringLiteral("Sujets"), {415, 395}, bottomRight);
    spSujets = spin("spSujets", 0, 1000, 1, QString(), {448, 390, 44, 22}, bottomRight);
    Label8 = label("Label8", QStringLiteral("Corrigés"), {496, 395}, bottomRight);
    spCorriges = spin("spCorriges", 0, 1000, 1, QString(), {537, 390, 44, 22}, bottomRight);
    btnImprime = button("btnImprime", QStringLiteral("Imprimer"), QStringLiteral("Imprimer sujets et/ou corrigés"),
                        {586, 389, 54, 25}, bottomRight);
    btnEnregistre = button("btnEnregistre", QStringLiteral("Enregistrer"),
                           QStringLiteral("Enregistrer sujets et/ou corrigés dans un fichier RTF"),
                           {646, 389, 59, 25}, bottomRight);
    for (QPushButton *output : {btnRAZ, btnApercu, btnImprime, btnEnregistre})
        output->setEnabled(false);

    SaveDialog1 = new QObject(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setProperty("InitialDir", QString());

    connectHandlers();
}

void TForm1::createPanels()
{
    ScrollBox1 = new oxeln::PreviewPanel(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->hide();

    // The wait panel shown while the settings are saved at close.
    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setGeometry(0, 0, 505, 217);
    setColours(Panel3, QColor(255, 0, 0), Qt::black);
    auto *panel4 = new QFrame(Panel3);
    panel4->setObjectName(QStringLiteral("Panel4"));
    panel4->setGeometry(16, 16, 473, 185);
    setColours(panel4, Qt::white, Qt::black);
    auto *label10 = new QLabel(QStringLiteral("Veuillez patienter, svp, pendant la sauvegarde\n"
                                              "        des paramètres de configuration..."),
                               panel4);
    label10->setObjectName(QStringLiteral("Label10"));
    // Just tight enough for the first line to fit the label's width whole.
    QFont waitFont = sansFont(19);
    waitFont.setLetterSpacing(QFont::PercentageSpacing, 99);
    label10->setFont(waitFont);
    label10->setGeometry(40, 72, 385, 44);
    Panel3->hide();
}

void TForm1::setTabOrder()
{
    const QWidget *order[] = {spmaxvaleur, spMaxLigne, btnPlus,     RxE1,      RxE2,       btnImprime,
                              spinterligne, btnMoins,  ETitre1,     Etitre2,   Etitre3,    btnMult,
                              btnDivise,   btnRAZ,     spSujets,    spCorriges, btnEnregistre, btnPuiss,
                              btnSA,       btnSAS,     btnChoixImp, btnApercu, ckbEdite};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget *>(order[i - 1]), const_cast<QWidget *>(order[i]));
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    // Each control keeps its distance to the edges it is anchored to.
    const int dx = width() - 732;
    const int dy = height() - 420;
    for (const Anchored &item : m_anchored) {
        QRect r = item.designed;
        if (item.anchors & Right) {
            if (item.anchors & Left)
                r.setWidth(r.width() + dx);
            else
                r.translate(dx, 0);
        }
        if (item.anchors & Bottom) {
            if (item.anchors & Top)
                r.setHeight(r.height() + dy);
            else
                r.translate(0, dy);
        }
        item.widget->setGeometry(r);
    }
    QWidget::resizeEvent(event);
}
