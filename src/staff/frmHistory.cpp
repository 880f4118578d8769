#include "staff/frmHistory.h"

#include "common/Convert.h"
#include "common/Language.h"
#include "db/ClerkFields.h"
#include "widgets/Appearance.h"
#include "widgets/BusyCursor.h"
#include "widgets/FlexGrid.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

namespace Design {
constexpr int ClientWidth = 12000;
constexpr int ClientHeight = 6000;
constexpr ControlDesign Restore{"cmdRestore", 0, 0, 1455, 375, "0509", "&Restore"};
constexpr ControlDesign Exit{"cmdExit", 0, 0, 1455, 375, "0082", "&Exit"};
constexpr int UserWidth = 1400;
constexpr int ValueWidth = 2700;
} // namespace Design

constexpr LangText ChangesTitle{"0502", "History of %1"};
constexpr LangText DeletedTitle{"0503", "Deleted Staff"};
constexpr LangText ChangesHeader{"0504", "When|Who|Change|Field|Before|After"};
constexpr LangText DeletedHeader{"0505", "When|Who"};

// The columns of the two lists.
enum ChangeCol { TimeCol, UserCol, KindCol, FieldCol, BeforeCol, AfterCol, ChangeCols };
constexpr int DeletedKeyCol = 2;
constexpr int DeletedFieldCol(int field)
{
    return DeletedKeyCol + 1 + field;
}

QString fieldCaption(int field)
{
    return ClerkCaption(GetLangText(QStringLiteral("0419"), ClerkHeaderLine()), field);
}

// A column wide enough for each of the texts in the grid's font, in twips.
int textTwips(const QWidget *grid, const QStringList &texts)
{
    int widest = 0;
    for (const QString &text : texts)
        widest = qMax(widest, grid->fontMetrics().horizontalAdvance(text));
    return PixelsToTwips(widest + 2 * grid->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8);
}

QString valueText(const std::vector<QVariant> &values, int field)
{
    return values.empty() ? QString() : DatabaseValueText(values[size_t(field)]);
}

} // namespace

frmHistory::frmHistory()
{
    setObjectName(QStringLiteral("frmHistory"));
    setAttribute(Qt::WA_DeleteOnClose);
    SetWidgetColor(this, QPalette::Window, DesignColor::Window);
    setAutoFillBackground(true);
    resize(TwipsToPixels(Design::ClientWidth), TwipsToPixels(Design::ClientHeight));

    vfgMain = new FlexGrid(this);
    vfgMain->setObjectName(QStringLiteral("vfgMain"));
    vfgMain->setSelectionByRow(true);
    vfgMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cmdRestore = MakeButton(this, Design::Restore);
    cmdExit = MakeButton(this, Design::Exit);
    for (QPushButton *button : {cmdRestore, cmdExit})
        button->setMinimumSize(button->size());

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, TwipsToPixels(120), 0);
    bar->addStretch();
    bar->addWidget(cmdRestore);
    bar->addWidget(cmdExit);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, TwipsToPixels(60));
    layout->addWidget(vfgMain);
    layout->addLayout(bar);

    SetCancelButton(this, cmdExit);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdRestore, &QPushButton::clicked, this, &frmHistory::cmdRestore_Click);
    connect(vfgMain, &FlexGrid::RowColChange, this, &frmHistory::updateRestore);
}

frmHistory::~frmHistory()
{
    forget(this);
    vfgMain->disconnect(this);
}

void frmHistory::closeEvent(QCloseEvent *event)
{
    // Gone for everybody from now on, even before its deferred deletion.
    forget(this);
    QWidget::closeEvent(event);
}

void frmHistory::Form_Load()
{
    iniFormFonts(this);
}

void frmHistory::SetControlsLanguage()
{
    setProperty("Tag", QLatin1String(m_deleted ? DeletedTitle.Id : ChangesTitle.Id));
    SetCaptions(this, m_deleted ? DeletedTitle.Default : ChangesTitle.Default,
                {{cmdRestore, Design::Restore.Caption}, {cmdExit, Design::Exit.Caption}});
    if (!m_deleted)
        setWindowTitle(windowTitle().arg(m_name));
    vfgMain->setAccessibleName(windowTitle());
}

bool frmHistory::ShowChanges(const QString &strConnection, const QString &key, const QString &name,
                             bool canRestore)
{
    std::vector<StaffHistory::Entry> entries;
    {
        BusyCursor busy;
        if (!StaffHistory::Changes(strConnection, key, &entries))
            return false;
    }
    m_deleted = false;
    m_name = name;
    m_canRestore = canRestore;
    m_entries = std::move(entries);
    SetControlsLanguage();
    fillChanges();
    return true;
}

bool frmHistory::ShowDeleted(const QString &strConnection, const QSet<QString> &inGrid,
                             bool canRestore)
{
    std::vector<StaffHistory::Entry> entries;
    {
        BusyCursor busy;
        if (!StaffHistory::Deleted(strConnection, &entries))
            return false;
    }
    std::erase_if(entries, [&](const StaffHistory::Entry &e) { return inGrid.contains(e.Key); });
    m_deleted = true;
    m_canRestore = canRestore;
    m_entries = std::move(entries);
    SetControlsLanguage();
    fillDeleted();
    return true;
}

QString frmHistory::kindText(StaffHistory::Kind kind) const
{
    switch (kind) {
    case StaffHistory::Kind::Added:
        return GetLangText(QStringLiteral("0506"), QStringLiteral("Added"));
    case StaffHistory::Kind::Deleted:
        return GetLangText(QStringLiteral("0508"), QStringLiteral("Deleted"));
    case StaffHistory::Kind::Changed:
        break;
    }
    return GetLangText(QStringLiteral("0507"), QStringLiteral("Changed"));
}

// One line per field a change is about; when, who and what only on its first line.
void frmHistory::fillChanges()
{
    BusyCursor busy;
    std::vector<QStringList> lines;
    m_lineEntry.clear();
    for (size_t e = 0; e < m_entries.size(); ++e) {
        const StaffHistory::Entry &entry = m_entries[e];
        std::vector<int> fields = entry.Fields();
        if (fields.empty())
            fields.push_back(-1); // a column the directory does not show changed
        for (const int field : fields) {
            QStringList &line = lines.emplace_back(ChangeCols);
            if (field == fields.front()) {
                line[TimeCol] = entry.Time;
                line[UserCol] = entry.User;
                line[KindCol] = kindText(entry.What);
            }
            if (field >= 0) {
                line[FieldCol] = fieldCaption(field);
                line[BeforeCol] = valueText(entry.Before, field);
                line[AfterCol] = valueText(entry.After, field);
            }
            m_lineEntry.push_back(int(e));
        }
    }
    vfgMain->setDataSource(nullptr);
    vfgMain->setFormatString(GetLangText(ChangesHeader));
    vfgMain->AddItems(lines);
    QStringList kinds, fields;
    for (const auto kind :
         {StaffHistory::Kind::Added, StaffHistory::Kind::Changed, StaffHistory::Kind::Deleted})
        kinds << kindText(kind);
    for (int field = 0; field < ClerkFieldCount; ++field)
        fields << fieldCaption(field);
    setTimeAndUserWidths();
    vfgMain->setColWidth(KindCol, textTwips(vfgMain, kinds << vfgMain->TextMatrix(0, KindCol)));
    vfgMain->setColWidth(FieldCol, textTwips(vfgMain, fields << vfgMain->TextMatrix(0, FieldCol)));
    vfgMain->setColWidth(BeforeCol, Design::ValueWidth);
    vfgMain->setColWidth(AfterCol, Design::ValueWidth);
    if (vfgMain->Rows() > vfgMain->FixedRows())
        vfgMain->Select(vfgMain->FixedRows(), 0);
    updateRestore();
}

void frmHistory::fillDeleted()
{
    BusyCursor busy;
    std::vector<QStringList> lines;
    lines.reserve(m_entries.size());
    m_lineEntry.clear();
    for (size_t e = 0; e < m_entries.size(); ++e) {
        const StaffHistory::Entry &entry = m_entries[e];
        QStringList &line = lines.emplace_back();
        line << entry.Time << entry.User << entry.Key;
        for (int field = 0; field < ClerkFieldCount; ++field)
            line << valueText(entry.Before, field);
        m_lineEntry.push_back(int(e));
    }
    QStringList header = GetLangText(DeletedHeader).split(u'|');
    header.resize(DeletedKeyCol);
    header << QStringLiteral("ID");
    for (int field = 0; field < ClerkFieldCount; ++field)
        header << fieldCaption(field);
    vfgMain->setDataSource(nullptr);
    vfgMain->setFormatString(header.join(u'|'));
    vfgMain->AddItems(lines);
    setTimeAndUserWidths();
    vfgMain->setColHidden(DeletedKeyCol, true);
    for (int field = 0; field < ClerkFieldCount; ++field)
        vfgMain->setColWidth(DeletedFieldCol(field), ClerkFields[size_t(field)].WidthTwips);
    if (vfgMain->Rows() > vfgMain->FixedRows())
        vfgMain->Select(vfgMain->FixedRows(), 0);
    updateRestore();
}

// The time is as wide as its form; who, as a name usually is.
void frmHistory::setTimeAndUserWidths()
{
    vfgMain->setColWidth(TimeCol, textTwips(vfgMain, {QStringLiteral("0000-00-00 00:00:00"),
                                                      vfgMain->TextMatrix(0, TimeCol)}));
    vfgMain->setColWidth(UserCol, Design::UserWidth);
}

void frmHistory::updateRestore()
{
    const int line = vfgMain->Row() - vfgMain->FixedRows();
    bool restorable = line >= 0 && line < int(m_lineEntry.size());
    if (restorable && !m_deleted)
        restorable =
            m_entries[size_t(m_lineEntry[size_t(line)])].What == StaffHistory::Kind::Changed;
    cmdRestore->setEnabled(m_canRestore && restorable);
}

void frmHistory::cmdRestore_Click()
{
    if (!cmdRestore->isEnabled())
        return;
    std::vector<StaffHistory::Entry> chosen;
    std::vector<int> rows = vfgMain->SelectedRows();
    if (!m_deleted)
        rows = {vfgMain->Row()};
    int last = -1;
    for (const int row : rows) {
        const int line = row - vfgMain->FixedRows();
        if (line < 0 || line >= int(m_lineEntry.size()) || m_lineEntry[size_t(line)] == last)
            continue;
        last = m_lineEntry[size_t(line)];
        chosen.push_back(m_entries[size_t(last)]);
    }
    if (chosen.empty())
        return;
    // Gone from the list before the grid takes them: nothing is put back twice.
    close();
    Q_EMIT Restored(chosen);
}
