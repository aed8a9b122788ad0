#include "ExercisePalette.h"

#include "Composition.h"
#include "RtfCodePage.h"
#include "ViewDocument.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

namespace oxeln {

namespace {

constexpr std::array<Writing, 3> kWritings = {Writing::Parentheses, Writing::Negatives, Writing::Simplified};
// The answer of each writing's example, "(-6) + (+5)" and the others.
constexpr std::array<const char *, 3> kWritingAnswers = {"(-1)", "-1", "-1"};
constexpr std::array<SignMix, 3> kSignMixes = {SignMix::Random, SignMix::OneNegative, SignMix::AllNegative};

// What a spin box beside an unticked box shows, and gets once ticked.
constexpr int kSuggestedExponent = 3;
constexpr int kSuggestedBase = 10;

} // namespace

ExercisePalette::ExercisePalette(QWidget *owner) : QWidget(owner, Qt::Tool)
{
    setObjectName(QStringLiteral("ExercisePalette"));
    setWindowTitle(QStringLiteral("Exercices et réglages"));
    // The main window's font and colours, as for a control of its own.
    setAttribute(Qt::WA_WindowPropagation);
    // Its icon is the main window's, given once that is decoded.
    if (owner)
        setFont(owner->font());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(createDrills());
    layout->addWidget(createOptions());
    layout->addWidget(createVersions());
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblEtat"));
    m_status->setWordWrap(true);
    m_status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_status->setMargin(3);
    m_status->hide();
    layout->addWidget(m_status);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    updateTexts();
}

QString ExercisePalette::buttonName(Drill drill)
{
    switch (drill) {
    case Drill::MissingPlus: return QStringLiteral("btnTermePlus");
    case Drill::MissingMinus: return QStringLiteral("btnTermeMoins");
    case Drill::MissingMult: return QStringLiteral("btnTermeMult");
    case Drill::MissingDivide: return QStringLiteral("btnTermeDivise");
    case Drill::P1: return QStringLiteral("btnP1");
    case Drill::P2: return QStringLiteral("btnP2");
    case Drill::Compare: return QStringLiteral("btnCompare");
    default: return QString();
    }
}

QWidget *ExercisePalette::createDrills()
{
    auto *group = new QGroupBox(QStringLiteral("Autres exercices"), this);
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setHorizontalSpacing(4);
    auto *note = new QLabel(QStringLiteral("Un clic ajoute l'exercice à la fiche, comme les boutons de la fenêtre."),
                            group);
    note->setWordWrap(true);
    grid->addWidget(note, 0, 0, 1, 5);
    const auto buttons = [&](int row, int column, std::initializer_list<Drill> drills) {
        for (const Drill drill : drills) {
            auto *button = new QPushButton(cp1252::decode(DrillName(drill)), group);
            button->setObjectName(buttonName(drill));
            button->setToolTip(cp1252::decode(DrillHint(drill)));
            button->setFixedSize(32, 25);
            connect(button, &QPushButton::clicked, this, [this, drill] { emit drillClicked(drill); });
            grid->addWidget(button, row, column++);
        }
    };
    grid->addWidget(new QLabel(QStringLiteral("Terme manquant"), group), 1, 0);
    buttons(1, 1, {Drill::MissingPlus, Drill::MissingMinus, Drill::MissingMult, Drill::MissingDivide});
    auto *order = new QLabel(QStringLiteral("Priorités"), group);
    order->setToolTip(QStringLiteral("Priorités opératoires"));
    grid->addWidget(order, 2, 0);
    buttons(2, 1, {Drill::P1, Drill::P2});
    grid->addWidget(new QLabel(QStringLiteral("Comparer"), group), 3, 0);
    buttons(3, 1, {Drill::Compare});
    grid->setColumnStretch(0, 1);
    return group;
}

QSpinBox *ExercisePalette::spin(const char *name, int minimum, int maximum, const QString &hint)
{
    auto *box = new QSpinBox(this);
    box->setObjectName(QLatin1String(name));
    box->setRange(minimum, maximum);
    box->setToolTip(hint);
    // As in the main window, a wheel turned over the window changes no number.
    box->installEventFilter(this);
    box->setFocusPolicy(Qt::StrongFocus);
    return box;
}

QCheckBox *ExercisePalette::check(const char *name, const QString &text, const QString &hint)
{
    auto *box = new QCheckBox(text, this);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(hint);
    return box;
}

QWidget *ExercisePalette::createOptions()
{
    auto *group = new QGroupBox(QStringLiteral("Réglages de tous les exercices"), this);
    auto *grid = new QGridLayout(group);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setVerticalSpacing(4);
    int row = 0;

    grid->addWidget(new QLabel(QStringLiteral("Écriture des nombres :"), group), row++, 0, 1, 4);
    m_writing = new QButtonGroup(this);
    const char *writingNames[] = {"rbEcritureParentheses", "rbEcritureNegatifs", "rbEcritureSimplifiee"};
    for (std::size_t i = 0; i < kWritings.size(); ++i) {
        // "Seuls les négatifs entre parenthèses : (-6) + 5": the choice, then
        // its example under it with the answer written that way.
        const QString label = cp1252::decode(WritingLabel(kWritings[i]));
        const qsizetype colon = label.indexOf(QStringLiteral(" : "));
        auto *choice = new QRadioButton(label.left(colon), group);
        choice->setObjectName(QLatin1String(writingNames[i]));
        m_writing->addButton(choice, static_cast<int>(i));
        grid->addWidget(choice, row++, 0, 1, 4);
        auto *example = new QLabel(QStringLiteral("%1 = %2").arg(label.mid(colon + 3), QLatin1String(kWritingAnswers[i])),
                                   group);
        example->setFont(ViewFont());
        example->setContentsMargins(22, 0, 0, 2);
        grid->addWidget(example, row++, 0, 1, 4);
    }
    m_writing->button(0)->setChecked(true);
    m_writing->button(2)->setToolTip(QStringLiteral("Pour +, -, S1 et S2 ; les produits, quotients et puissances "
                                                    "gardent les parenthèses des négatifs : -6 x (-5)"));
    connect(m_writing, &QButtonGroup::idClicked, this, [this](int id) {
        if (!m_settingOptions)
            emit writingChosen(kWritings[static_cast<std::size_t>(id)]);
    });

    m_smallestOn = check("ckbMin", QStringLiteral("Nombres de"), QString());
    m_smallest = spin("spMin", 1, 999, QStringLiteral("Plus petite valeur absolue d'un nombre"));
    m_largestLabel = new QLabel(group);
    m_largestLabel->setObjectName(QStringLiteral("lblMax"));
    auto *range = new QHBoxLayout;
    range->addWidget(m_smallestOn);
    range->addWidget(m_smallest);
    range->addWidget(m_largestLabel);
    range->addStretch(1);
    grid->addLayout(range, row++, 0, 1, 4);
    auto *absolute = new QLabel(QStringLiteral("en valeur absolue ; les signes suivent le réglage ci-dessous"), group);
    absolute->setWordWrap(true);
    absolute->setContentsMargins(22, 0, 0, 0);
    grid->addWidget(absolute, row++, 0, 1, 4);
    connect(m_smallestOn, &QCheckBox::toggled, this, &ExercisePalette::updateTexts);

    grid->addWidget(new QLabel(QStringLiteral("Signes :"), group), row++, 0, 1, 4);
    m_signs = new QComboBox(group);
    m_signs->setObjectName(QStringLiteral("cbSignes"));
    for (const SignMix mix : kSignMixes)
        m_signs->addItem(cp1252::decode(SignMixLabel(mix)));
    m_signs->setToolTip(QStringLiteral("Le signe des nombres de chaque question"));
    grid->addWidget(m_signs, row++, 0, 1, 4);

    m_noDuplicates = check("ckbSansDoublon", QStringLiteral("Sans doublon"),
                           QStringLiteral("Aucune question deux fois sur la fiche (mêmes nombres dans le même "
                                          "ordre, même exercice)"));
    m_exactDivisions = check("ckbDivisionsExactes", QStringLiteral("Divisions exactes"),
                             QStringLiteral("Chaque quotient est un nombre entier : aucune réponse « / »"));
    grid->addWidget(m_noDuplicates, row++, 0, 1, 4);
    grid->addWidget(m_exactDivisions, row++, 0, 1, 4);

    grid->addWidget(new QLabel(QStringLiteral("Puissances :"), group), row++, 0, 1, 4);
    m_exponentOn = check("ckbExposantMax", QStringLiteral("exposant au plus"),
                         QStringLiteral("Décoché : les exposants habituels, jusqu'à 58 pour les petites bases"));
    m_exponent = spin("spExposantMax", 1, LargestExponentLimit, QStringLiteral("Plus grand exposant, de 1 à 58"));
    m_exponent->setValue(kSuggestedExponent);
    m_baseOn = check("ckbBaseMax", QStringLiteral("base au plus"),
                     QStringLiteral("Décoché : les bases habituelles, tirées comme les autres nombres"));
    m_base = spin("spBaseMax", 1, LargestBaseLimit,
                  QStringLiteral("Plus grande valeur absolue de la base, de 1 à 999"));
    m_base->setValue(kSuggestedBase);
    for (const auto &[on, bound] : {std::pair{m_exponentOn, m_exponent}, std::pair{m_baseOn, m_base}}) {
        on->setContentsMargins(12, 0, 0, 0);
        grid->addWidget(on, row, 0, 1, 2);
        grid->addWidget(bound, row++, 2, 1, 1);
    }
    connect(m_exponentOn, &QCheckBox::toggled, m_exponent, &QWidget::setEnabled);
    connect(m_baseOn, &QCheckBox::toggled, m_base, &QWidget::setEnabled);
    m_exponent->setEnabled(false);
    m_base->setEnabled(false);

    m_compactAnswer = check("ckbCorrigeCompact", QStringLiteral("Corrigé compact"),
                            QStringLiteral("Le corrigé sans les lignes blanches entre les questions, pour qu'il "
                                           "tienne sur moins de pages ; le sujet ne change pas"));
    grid->addWidget(m_compactAnswer, row++, 0, 1, 4);
    return group;
}

QWidget *ExercisePalette::createVersions()
{
    auto *group = new QGroupBox(QStringLiteral("Versions"), this);
    auto *layout = new QGridLayout(group);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->addWidget(new QLabel(QStringLiteral("Fiches différentes :"), group), 0, 0);
    m_versions = spin("spVersions", 1, compose::MaxVersions,
                      QStringLiteral("Pour que deux voisins n'aient pas la même fiche : les mêmes exercices avec "
                                     "les mêmes réglages, d'autres nombres (fiches A, B, C…)"));
    layout->addWidget(m_versions, 0, 1);
    layout->setColumnStretch(2, 1);
    m_versionsNote = new QLabel(group);
    m_versionsNote->setObjectName(QStringLiteral("lblVersions"));
    m_versionsNote->setWordWrap(true);
    layout->addWidget(m_versionsNote, 1, 0, 1, 3);
    m_handEditNote = new QLabel(group);
    m_handEditNote->setObjectName(QStringLiteral("lblRetouches"));
    m_handEditNote->setWordWrap(true);
    layout->addWidget(m_handEditNote, 2, 0, 1, 3);
    connect(m_versions, &QSpinBox::valueChanged, this, [this](int count) {
        updateTexts();
        emit versionsChanged(count);
    });
    return group;
}

void ExercisePalette::updateTexts()
{
    m_smallest->setEnabled(m_smallestOn->isChecked());
    m_largestLabel->setText(QStringLiteral("à %1 (Max valeur)").arg(m_maxValue));
    const int half = m_maxValue / 2;
    m_smallestOn->setToolTip(QStringLiteral("Coché : chaque nombre vaut, en valeur absolue, entre ces deux "
                                            "bornes. Décoché : de %1 à +%2, comme les boutons de la fenêtre")
                                 .arg(half - m_maxValue + 1)
                                 .arg(half));
    const int count = m_versions->value();
    const QString last = QString(QChar(u'A' + count - 1));
    m_versionsNote->setText(count == 1 ? QStringLiteral("une seule fiche")
                                       : QStringLiteral("A à %1, enregistrées et imprimées ensemble").arg(last));
    m_handEditNote->setText(QStringLiteral("Le sujet ou le corrigé a été retouché à la main : seule la fiche A "
                                           "garde ces retouches, les fiches B à %1 sont tirées sans elles.")
                                .arg(last));
    m_handEditNote->setVisible(m_handEdited && count > 1);
}

DrillOptions ExercisePalette::options() const
{
    DrillOptions o;
    o.writing = kWritings[static_cast<std::size_t>(std::max(0, m_writing->checkedId()))];
    o.smallest = m_smallestOn->isChecked() ? m_smallest->value() : 0;
    o.signs = kSignMixes[static_cast<std::size_t>(std::max(0, m_signs->currentIndex()))];
    o.noDuplicates = m_noDuplicates->isChecked();
    o.exactDivisions = m_exactDivisions->isChecked();
    o.largestExponent = m_exponentOn->isChecked() ? m_exponent->value() : 0;
    o.largestBase = m_baseOn->isChecked() ? m_base->value() : 0;
    o.compactAnswer = m_compactAnswer->isChecked();
    return o;
}

void ExercisePalette::setOptions(const DrillOptions &options)
{
    m_settingOptions = true;
    for (std::size_t i = 0; i < kWritings.size(); ++i) {
        if (kWritings[i] == options.writing)
            m_writing->button(static_cast<int>(i))->setChecked(true);
    }
    m_smallestOn->setChecked(options.smallest > 0);
    if (options.smallest > 0)
        m_smallest->setValue(options.smallest);
    for (std::size_t i = 0; i < kSignMixes.size(); ++i) {
        if (kSignMixes[i] == options.signs)
            m_signs->setCurrentIndex(static_cast<int>(i));
    }
    m_noDuplicates->setChecked(options.noDuplicates);
    m_exactDivisions->setChecked(options.exactDivisions);
    m_exponentOn->setChecked(options.largestExponent > 0);
    m_exponent->setValue(options.largestExponent > 0 ? options.largestExponent : kSuggestedExponent);
    m_baseOn->setChecked(options.largestBase > 0);
    m_base->setValue(options.largestBase > 0 ? options.largestBase : kSuggestedBase);
    m_compactAnswer->setChecked(options.compactAnswer);
    m_settingOptions = false;
    updateTexts();
}

int ExercisePalette::versions() const
{
    return m_versions->value();
}

void ExercisePalette::setVersions(int versions)
{
    m_versions->setValue(versions);
}

void ExercisePalette::setMaxValue(int maxValue)
{
    m_maxValue = maxValue;
    m_smallest->setMaximum(maxValue);
    updateTexts();
}

void ExercisePalette::setStatus(const QString &text)
{
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

QString ExercisePalette::status() const
{
    return m_status->text();
}

void ExercisePalette::setHandEdited(bool edited)
{
    if (m_handEdited == edited)
        return;
    m_handEdited = edited;
    updateTexts();
}

std::optional<QPoint> ExercisePalette::place() const
{
    return isVisible() ? std::optional<QPoint>(pos()) : m_place;
}

void ExercisePalette::setPlace(const std::optional<QPoint> &place)
{
    m_place = place;
}

void ExercisePalette::open()
{
    adjustSize();
    const QWidget *owner = parentWidget();
    QPoint at;
    const QScreen *screen = nullptr;
    if (m_place)
        screen = QGuiApplication::screenAt(*m_place + QPoint(20, 20));
    if (screen) {
        at = *m_place;
    } else {
        // Beside the main window, on the side with room, else over its right edge.
        screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
        const QRect frame = owner ? owner->frameGeometry() : area;
        const int gap = 6;
        if (frame.right() + gap + width() <= area.right())
            at = QPoint(frame.right() + gap, frame.top());
        else if (frame.left() - gap - width() >= area.left())
            at = QPoint(frame.left() - gap - width(), frame.top());
        else
            at = QPoint(area.right() - width(), frame.top());
        at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - height())));
    }
    move(at);
    show();
    // Once its frame is known, so that it is the frame that stands at the place.
    if (pos() != at)
        move(at);
    raise();
    activateWindow();
}

void ExercisePalette::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        m_place = pos();
    QWidget::hideEvent(event);
}

void ExercisePalette::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    // F6 went from the main window to here; here it goes back.
    if (event->key() == Qt::Key_F6 && parentWidget()) {
        parentWidget()->activateWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool ExercisePalette::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel && qobject_cast<QSpinBox *>(watched)) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace oxeln
