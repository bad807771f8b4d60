#include "App_SectorsView.h"

#include "App_HexView.h"
#include "App_diskfiles.h"
#include "Rtl_exceptions.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int EntryRole = Qt::UserRole;

QString Hex2(int value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString TrackDensities(const TMappedTrack& track) {
    QStringList names;
    if (track.HasFm())
        names << QStringLiteral("FM");
    if (track.HasMfm())
        names << QStringLiteral("MFM");
    return names.join(QStringLiteral(", "));
}

// The marks of the headers at a glance, then what the check finds wrong with the track.
QString TrackMarks(const TMappedTrack& track, const std::vector<TDiskFinding>& findings) {
    QStringList marks;
    if (track.HasDeletedData())
        marks << TAppSectorsView::tr("deleted data");
    if (track.HasErrorStatus())
        marks << TAppSectorsView::tr("error status");
    if (track.HasRepeatedId())
        marks << TAppSectorsView::tr("repeated ID");
    if (track.HasOddSizes())
        marks << TAppSectorsView::tr("odd sizes");
    for (const TDiskFinding& finding : findings)
        if (finding.Entry == track.Entry && finding.Severity != TSeverity::Note)
            marks << QString::fromStdString(finding.Text);
    return marks.join(QStringLiteral(", "));
}

QByteArray ToBytes(std::span<const uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

} // namespace

TAppSectorsView::TAppSectorsView(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SectorsView"));
    setWindowTitle(tr("Sectors"));
    ImageLabel = new QLabel(this);
    ImageLabel->setObjectName(QStringLiteral("ImageLabel"));
    ImageLabel->setTextFormat(Qt::PlainText);

    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    FindEdit->setClearButtonEnabled(true);
    auto* findLabel = new QLabel(tr("&Find:"), this);
    findLabel->setBuddy(FindEdit);
    FindHexBox = new QCheckBox(tr("He&x"), this);
    FindHexBox->setObjectName(QStringLiteral("FindHexBox"));
    FindNextButton = new QPushButton(tr("&Next"), this);
    FindNextButton->setObjectName(QStringLiteral("FindNextButton"));
    FindPreviousButton = new QPushButton(tr("&Previous"), this);
    FindPreviousButton->setObjectName(QStringLiteral("FindPreviousButton"));
    GoToButton = new QPushButton(tr("&Go To..."), this);
    GoToButton->setObjectName(QStringLiteral("GoToButton"));

    TrackList = new QTreeWidget(this);
    TrackList->setObjectName(QStringLiteral("TrackList"));
    TrackList->setRootIsDecorated(false);
    TrackList->setUniformRowHeights(true);
    TrackList->setHeaderLabels(
        {tr("Entry"), tr("Track"), tr("Sectors"), tr("Density"), tr("Marks")});
    SectorList = new QTreeWidget(this);
    SectorList->setObjectName(QStringLiteral("SectorList"));
    SectorList->setRootIsDecorated(false);
    SectorList->setUniformRowHeights(true);
    SectorList->setHeaderLabels({tr("Index"), QStringLiteral("C"), QStringLiteral("H"),
                                 QStringLiteral("R"), QStringLiteral("N"), tr("Density"),
                                 tr("Deleted"), tr("Status"), tr("Bytes")});
    HexView = new TAppHexView(this);
    HexView->setObjectName(QStringLiteral("HexView"));
    FindingsLabel = new QLabel(this);
    FindingsLabel->setObjectName(QStringLiteral("FindingsLabel"));
    FindingsLabel->setTextFormat(Qt::PlainText);
    FindingsLabel->setWordWrap(true);
    FindingsLabel->hide();
    DamageLabel = new QLabel(this);
    DamageLabel->setObjectName(QStringLiteral("DamageLabel"));
    DamageLabel->setTextFormat(Qt::PlainText);
    DamageLabel->setWordWrap(true);
    TextModeBox = new QComboBox(this);
    TextModeBox->setObjectName(QStringLiteral("TextModeBox"));
    TextModeBox->addItem(tr("Code page 932"));
    TextModeBox->addItem(QStringLiteral("ASCII"));
    auto* textLabel = new QLabel(tr("&Text:"), this);
    textLabel->setBuddy(TextModeBox);
    FillButton = new QPushButton(tr("F&ill..."), this);
    FillButton->setObjectName(QStringLiteral("FillButton"));
    ApplyButton = new QPushButton(tr("&Apply"), this);
    ApplyButton->setObjectName(QStringLiteral("ApplyButton"));
    RevertButton = new QPushButton(tr("&Revert"), this);
    RevertButton->setObjectName(QStringLiteral("RevertButton"));
    auto* closeButton = new QPushButton(tr("Close"), this);
    for (QPushButton* button : {FindNextButton, FindPreviousButton, GoToButton, FillButton,
                                ApplyButton, RevertButton, closeButton})
        button->setAutoDefault(false);

    auto* find = new QHBoxLayout;
    find->addWidget(findLabel);
    find->addWidget(FindEdit, 1);
    find->addWidget(FindHexBox);
    find->addWidget(FindNextButton);
    find->addWidget(FindPreviousButton);
    find->addWidget(GoToButton);
    auto* lists = new QSplitter(Qt::Vertical, this);
    lists->addWidget(TrackList);
    lists->addWidget(SectorList);
    auto* panes = new QSplitter(Qt::Horizontal, this);
    panes->addWidget(lists);
    panes->addWidget(HexView);
    panes->setStretchFactor(0, 1);
    panes->setStretchFactor(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(textLabel);
    buttons->addWidget(TextModeBox);
    buttons->addStretch();
    buttons->addWidget(FillButton);
    buttons->addWidget(ApplyButton);
    buttons->addWidget(RevertButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ImageLabel);
    layout->addLayout(find);
    layout->addWidget(FindingsLabel);
    layout->addWidget(panes, 1);
    layout->addWidget(DamageLabel);
    layout->addLayout(buttons);
    const int em = fontMetrics().height();
    resize(90 * em, 40 * em);
    panes->setSizes({40 * em, 50 * em});
    // The tracks first: the window opens for looking, not for searching.
    setTabOrder(TrackList, SectorList);
    setTabOrder(SectorList, HexView);
    setTabOrder(HexView, FindEdit);
    setTabOrder(FindEdit, FindHexBox);

    connect(TrackList, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { ChooseTrack(item); });
    connect(SectorList, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { ChooseSector(item); });
    connect(HexView, &TAppHexView::Edited, this, [this] { UpdateButtons(); });
    connect(TextModeBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        HexView->SetTextMode(index == 0 ? TAppHexView::TTextMode::Cp932
                                        : TAppHexView::TTextMode::Ascii);
    });
    connect(FindNextButton, &QPushButton::clicked, this, [this] { FindNext(false); });
    connect(FindPreviousButton, &QPushButton::clicked, this, [this] { FindNext(true); });
    connect(FindEdit, &QLineEdit::returnPressed, this, [this] { FindNext(false); });
    connect(GoToButton, &QPushButton::clicked, this, [this] { AskGoTo(); });
    connect(FillButton, &QPushButton::clicked, this, [this] { AskFill(); });
    connect(ApplyButton, &QPushButton::clicked, this, [this] { Commit(); });
    connect(RevertButton, &QPushButton::clicked, this, [this] {
        FShownIndex = -1;
        Reload();
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    // Keys of the whole window, ahead of the lists' and the bytes' own.
    const auto key = [this](QKeySequence sequence, auto slot) {
        auto* shortcut = new QShortcut(sequence, this, slot);
        shortcut->setContext(Qt::WindowShortcut);
    };
    key(QKeySequence(Qt::CTRL | Qt::Key_PageDown), [this] { GoToSector(1); });
    key(QKeySequence(Qt::CTRL | Qt::Key_PageUp), [this] { GoToSector(-1); });
    key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageDown), [this] { GoToTrack(1); });
    key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_PageUp), [this] { GoToTrack(-1); });
    key(QKeySequence(Qt::Key_F3), [this] { FindNext(false); });
    key(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { FindNext(true); });
    key(QKeySequence(Qt::CTRL | Qt::Key_G), [this] { AskGoTo(); });
    // The key that opened the window closes it again.
    key(QKeySequence(Qt::Key_F7), [this] { close(); });
    key(QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
        FindEdit->setFocus(Qt::ShortcutFocusReason);
        FindEdit->selectAll();
    });
    UpdateButtons();
}

void TAppSectorsView::Bind(TSectorHandler* handler) {
    FHandler = handler;
    FShownIndex = -1;
    Reload();
}

void TAppSectorsView::Reload() {
    FReloading = true;
    const TSectorHandler* handler = FHandler;
    const bool image = handler != nullptr && handler->Index() >= 0;
    if (!image) {
        ImageLabel->setText(tr("No disk image is focused."));
        TrackList->clear();
        SectorList->clear();
        DamageLabel->clear();
        FindingsLabel->clear();
        HexView->SetBytes({}, false);
        FShownIndex = -1;
        FReloading = false;
        UpdateButtons();
        return;
    }
    const TSectorMap& map = handler->Map();
    ImageLabel->setText(
        tr("Disk image %1")
            .arg(QString::fromStdString(::ImageLabel(*handler->Image(), handler->Index() + 1))));
    // The lists are filled again only when the image or its bytes changed.
    if (TrackList->property("generation").toULongLong() != handler->Generation() ||
        TrackList->topLevelItemCount() != static_cast<int>(map.Tracks.size())) {
        TrackList->clear();
        QList<QTreeWidgetItem*> items;
        for (const TMappedTrack& track : map.Tracks) {
            auto* item =
                new QTreeWidgetItem({QString::number(track.Entry),
                                     QString::fromStdString(MappedTrackName(map, track.Entry)),
                                     QString::number(track.Sectors.size()), TrackDensities(track),
                                     TrackMarks(track, handler->Findings())});
            item->setData(0, EntryRole, track.Entry);
            item->setToolTip(4, item->text(4));
            items << item;
        }
        TrackList->addTopLevelItems(items);
        for (int column = 0; column < 4; ++column)
            TrackList->resizeColumnToContents(column);
        TrackList->setProperty("generation", QVariant::fromValue(handler->Generation()));
        SectorList->setProperty("entry", -1);
        QStringList whole;
        for (const TDiskFinding& finding : handler->Findings())
            if (finding.Entry < 0 && finding.Severity != TSeverity::Note)
                whole << QString::fromStdString(finding.Text);
        FindingsLabel->setText(whole.join('\n'));
        FindingsLabel->setVisible(!whole.isEmpty());
    }
    for (int row = 0; row < TrackList->topLevelItemCount(); ++row)
        if (TrackList->topLevelItem(row)->data(0, EntryRole).toInt() == handler->Entry()) {
            TrackList->setCurrentItem(TrackList->topLevelItem(row));
            break;
        }
    if (SectorList->property("entry").toInt() != handler->Entry() ||
        SectorList->property("generation").toULongLong() != handler->Generation()) {
        SectorList->clear();
        if (const TMappedTrack* track = map.Track(handler->Entry())) {
            QList<QTreeWidgetItem*> items;
            int index = 0;
            for (const TMappedSector& sector : track->Sectors) {
                const TSectorHeader& h = sector.Header;
                auto* item = new QTreeWidgetItem(
                    {QString::number(++index), QString::number(h.C), QString::number(h.H),
                     QString::number(h.R), QString::number(h.N),
                     QString::fromLatin1(DensityName(h)), h.Deleted != 0 ? tr("yes") : tr("no"),
                     Hex2(h.Status), QString::number(h.DataSize)});
                item->setData(0, EntryRole, index);
                items << item;
            }
            SectorList->addTopLevelItems(items);
            for (int column = 0; column < 9; ++column)
                SectorList->resizeColumnToContents(column);
        }
        SectorList->setProperty("entry", handler->Entry());
        SectorList->setProperty("generation", QVariant::fromValue(handler->Generation()));
    }
    if (handler->Sector() >= 1 && handler->Sector() <= SectorList->topLevelItemCount())
        SectorList->setCurrentItem(SectorList->topLevelItem(handler->Sector() - 1));
    // Why the bytes cannot be changed, where they cannot: damage, or write protection.
    QString refusal;
    if (!handler->CanEdit() && handler->Sector() > 0)
        try {
            FHandler->RaiseEditRefusal();
        } catch (const rtl::Exception& e) {
            refusal = QString::fromStdString(e.Message());
        }
    DamageLabel->setText(refusal);
    DamageLabel->setVisible(!refusal.isEmpty());
    const bool sameSector = FShownIndex == handler->Index() && FShownEntry == handler->Entry() &&
                            FShownSector == handler->Sector();
    if (!sameSector || !HexView->IsModified()) {
        const int cursor = sameSector ? HexView->CursorOffset() : 0;
        HexView->SetBytes(ToBytes(handler->SectorData()), handler->CanEdit());
        if (cursor > 0)
            HexView->Select(cursor, 0);
        FShownIndex = handler->Index();
        FShownEntry = handler->Entry();
        FShownSector = handler->Sector();
    }
    FReloading = false;
    UpdateButtons();
}

bool TAppSectorsView::Commit() {
    if (FHandler == nullptr || !HexView->IsModified() || FShownIndex != FHandler->Index() ||
        FShownEntry != FHandler->Entry() || FShownSector != FHandler->Sector())
        return true;
    try {
        const QByteArray& bytes = HexView->Bytes();
        FHandler->CommitEdit(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                       static_cast<size_t>(bytes.size())));
        FHandler->Refresh();
        FShownIndex = -1;
        Reload();
        return true;
    } catch (...) {
        rtl::HandleException();
        FShownIndex = -1;
        Reload();
        return false;
    }
}

void TAppSectorsView::MoveTo(int entry, int sector) {
    if (FHandler == nullptr || !Commit())
        return;
    FHandler->Choose(entry, sector);
    Reload();
}

void TAppSectorsView::ChooseTrack(QTreeWidgetItem* item) {
    if (FReloading || item == nullptr || FHandler == nullptr)
        return;
    const int entry = item->data(0, EntryRole).toInt();
    if (entry != FHandler->Entry())
        MoveTo(entry, 1);
}

void TAppSectorsView::ChooseSector(QTreeWidgetItem* item) {
    if (FReloading || item == nullptr || FHandler == nullptr)
        return;
    const int sector = item->data(0, EntryRole).toInt();
    if (sector != FHandler->Sector())
        MoveTo(FHandler->Entry(), sector);
}

void TAppSectorsView::GoToSector(int step) {
    if (FHandler == nullptr || FHandler->Index() < 0)
        return;
    const TSectorMap& map = FHandler->Map();
    // Past a track's last sector, on to the next track's first, and back likewise.
    int entry = FHandler->Entry();
    int sector = FHandler->Sector() + step;
    const auto track = std::find_if(map.Tracks.begin(), map.Tracks.end(),
                                    [entry](const TMappedTrack& t) { return t.Entry == entry; });
    if (track == map.Tracks.end())
        return;
    if (sector < 1 && track != map.Tracks.begin()) {
        entry = (track - 1)->Entry;
        sector = static_cast<int>((track - 1)->Sectors.size());
    } else if (sector > static_cast<int>(track->Sectors.size()) && track + 1 != map.Tracks.end()) {
        entry = (track + 1)->Entry;
        sector = 1;
    }
    if (map.Sector(entry, sector) != nullptr)
        MoveTo(entry, sector);
}

void TAppSectorsView::GoToTrack(int step) {
    if (FHandler == nullptr || FHandler->Index() < 0)
        return;
    const TSectorMap& map = FHandler->Map();
    const int entry = FHandler->Entry();
    const auto track = std::find_if(map.Tracks.begin(), map.Tracks.end(),
                                    [entry](const TMappedTrack& t) { return t.Entry == entry; });
    const auto at = track - map.Tracks.begin() + step;
    if (track != map.Tracks.end() && at >= 0 && at < static_cast<long>(map.Tracks.size()))
        MoveTo(map.Tracks[static_cast<size_t>(at)].Entry, 1);
}

void TAppSectorsView::FindNext(bool backward) {
    if (FHandler == nullptr || FHandler->Index() < 0 || FindEdit->text().isEmpty())
        return;
    try {
        if (!Commit())
            return;
        const std::vector<uint8_t> bytes =
            SearchBytes(FindEdit->text().toStdString(), FindHexBox->isChecked());
        // From the cursor when it has left the last match's sector.
        TSectorMatch from{FHandler->Entry(), FHandler->Sector(), HexView->CursorOffset()};
        if (FLastMatch.Entry == from.Entry && FLastMatch.Index == from.Index)
            from = FLastMatch;
        else if (!backward)
            --from.Offset;
        const std::optional<TSectorMatch> found = FHandler->Find(bytes, backward, from);
        if (!found) {
            QApplication::beep();
            return;
        }
        FLastMatch = *found;
        Reload();
        // A match that runs on into the next sector is shown as far as this one holds it.
        const int length = std::min<int>(static_cast<int>(bytes.size()),
                                         static_cast<int>(HexView->Bytes().size()) - found->Offset);
        HexView->Select(found->Offset, length);
    } catch (...) {
        rtl::HandleException();
    }
}

void TAppSectorsView::AskGoTo() {
    if (FHandler == nullptr || FHandler->Index() < 0)
        return;
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, tr("Go To"),
        tr("A track entry and a sector's place on it (12:3), or a sector ID (6/1/3):"),
        QLineEdit::Normal, QString(), &ok);
    if (!ok || !Commit())
        return;
    const std::optional<TSectorPlaceInput> place = ParseSectorPlace(text.toStdString());
    try {
        if (!place)
            RefuseText(text.toStdString());
        if (!FHandler->GoTo(*place))
            throw EHandlerError(rtl::Format(rtl::Tr("The disk image has no sector \"%s\"."),
                                            text.trimmed().toStdString().c_str()));
        Reload();
        HexView->setFocus(Qt::OtherFocusReason);
    } catch (...) {
        rtl::HandleException();
    }
}

void TAppSectorsView::AskFill() {
    if (!HexView->IsEditable())
        return;
    bool ok = false;
    const QString text = QInputDialog::getText(this, tr("Fill"), tr("The byte to fill with (hex):"),
                                               QLineEdit::Normal, QStringLiteral("E5"), &ok);
    if (!ok)
        return;
    try {
        const std::vector<uint8_t> value = SearchBytes(text.toStdString(), true);
        if (value.size() != 1)
            RefuseText(text.toStdString());
        HexView->FillSelection(value.front());
        HexView->setFocus(Qt::OtherFocusReason);
    } catch (...) {
        rtl::HandleException();
    }
}

void TAppSectorsView::UpdateButtons() {
    const bool image = FHandler != nullptr && FHandler->Index() >= 0;
    for (QWidget* widget : std::initializer_list<QWidget*>{FindNextButton, FindPreviousButton,
                                                           GoToButton, FindEdit, FindHexBox})
        widget->setEnabled(image);
    FillButton->setEnabled(HexView->IsEditable());
    ApplyButton->setEnabled(HexView->IsModified());
    RevertButton->setEnabled(HexView->IsModified());
}

void TAppSectorsView::closeEvent(QCloseEvent* event) {
    // What was typed becomes a step rather than being lost; a refused edit keeps the window.
    if (!Commit()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TAppSectorsView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    TrackList->setFocus(Qt::OtherFocusReason);
}

void TAppSectorsView::keyPressEvent(QKeyEvent* event) {
    // Escape takes back an edit under way before it closes anything.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        HexView->IsModified()) {
        FShownIndex = -1;
        Reload();
        return;
    }
    QDialog::keyPressEvent(event);
}
