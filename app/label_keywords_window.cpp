// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/label_keywords_window.h"

#include <algorithm>
#include <vector>

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/file_names.h"
#include "core/image_state.h"
#include "core/label.h"
#include "geo/georeference_text.h"

namespace dusk::app {

namespace {

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 520;
enum Column { BlockColumn, KeywordColumn, ValueColumn, UnitColumn };

// Longer texts are cut for the view: measuring and eliding a whole megabyte
// at every paint would stall the window. The record keeps them whole.
constexpr std::size_t kShownLength = 2000;

QString Text(const std::string& bytes) {
    if (bytes.size() <= kShownLength) return QString::fromStdString(Cp1250ToUtf8(bytes));
    return QString::fromStdString(Cp1250ToUtf8(bytes.substr(0, kShownLength))) + QChar(0x2026);
}

QTreeWidgetItem* MakeItem(const OdlNode& node) {
    auto* item = new QTreeWidgetItem;
    if (node.kind == OdlNodeKind::Keyword) {
        item->setText(KeywordColumn, Text(node.name));
        item->setText(ValueColumn, Text(node.value));
        item->setText(UnitColumn, Text(node.unit));
        item->setToolTip(ValueColumn, item->text(ValueColumn));
    } else {
        item->setText(BlockColumn, QStringLiteral("%1 %2")
                                       .arg(node.kind == OdlNodeKind::Object ? QStringLiteral("OBJECT")
                                                                             : QStringLiteral("GROUP"),
                                            Text(node.name)));
    }
    return item;
}

}  // namespace

TLabelKeywordsWindow::TLabelKeywordsWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LabelKeywordsWindow"));
    setWindowTitle(QStringLiteral("Label Keywords"));
    resize(kClientWidth, kClientHeight);

    filter_ = new QLineEdit;
    filter_->setObjectName(QStringLiteral("KeywordFilter"));
    filter_->setPlaceholderText(tr("Filter: part of a block, keyword, value or unit"));
    filter_->setClearButtonEnabled(true);
    connect(filter_, &QLineEdit::textChanged, this, &TLabelKeywordsWindow::ApplyFilter);
    note_ = new QLabel;
    note_->setObjectName(QStringLiteral("KeywordNote"));
    note_->setTextFormat(Qt::PlainText);
    note_->setWordWrap(true);
    georeference_ = new QGroupBox(tr("Georeference"));
    georeference_->setObjectName(QStringLiteral("GeoreferenceBox"));
    georeferenceRows_ = new QFormLayout(georeference_);
    georeferenceRows_->setRowWrapPolicy(QFormLayout::WrapLongRows);
    georeferenceRows_->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    tree_ = new QTreeWidget;
    tree_->setObjectName(QStringLiteral("KeywordTree"));
    tree_->setHeaderLabels({tr("Object/group"), tr("Keyword"), tr("Value"), tr("Unit")});
    tree_->setUniformRowHeights(true);
    tree_->setAlternatingRowColors(true);
    // The values take the room the names and units leave; a long one shows whole in its tooltip.
    QHeaderView* header = tree_->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(BlockColumn, QHeaderView::Interactive);
    header->setSectionResizeMode(KeywordColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(ValueColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(UnitColumn, QHeaderView::ResizeToContents);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(filter_);
    column->addWidget(note_);
    column->addWidget(georeference_);
    column->addWidget(tree_, 1);
    Clear();
}

void TLabelKeywordsWindow::ShowGeoreference() {
    while (georeferenceRows_->rowCount() > 0) georeferenceRows_->removeRow(0);
    const std::vector<GeoreferenceRow> rows = DescribeGeoreference(State().Georeference);
    for (const GeoreferenceRow& row : rows) {
        auto* value = new QLabel(QString::fromStdString(row.value));
        value->setTextFormat(Qt::PlainText);
        value->setWordWrap(true);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setObjectName(QStringLiteral("Georeference") + QString::fromStdString(row.name).remove(QLatin1Char(' ')));
        georeferenceRows_->addRow(QString::fromStdString(row.name) + QLatin1Char(':'), value);
    }
    georeference_->setVisible(!rows.empty());
}

void TLabelKeywordsWindow::ShowLabel() {
    const ImageState& s = State();
    tree_->clear();
    ShowGeoreference();
    const QString name = FromFileSystem(s.CurrentFileName);
    const OdlLabel& label = s.LabelKeywords;
    if (s.LabelLines.empty()) {
        note_->setText(tr("%1 has no label.").arg(name));
        return;
    }
    // Reading stops after the first 1 MiB; the note says so.
    const QString cut = label.cut ? tr(" Only its first 1 MiB is read: the file is larger.") : QString();
    if (label.nodes.empty()) {
        note_->setText(tr("The label of %1 holds no keywords.").arg(name) + cut);
        return;
    }
    if (label.problem.empty()) {
        qsizetype blockCount = 0;
        for (const OdlNode& node : label.nodes) blockCount += node.kind == OdlNodeKind::Keyword ? 0 : 1;
        const qsizetype keywords = static_cast<qsizetype>(label.nodes.size()) - blockCount;
        note_->setText(tr("The label of %1: %2 %3 in %4 %5.")
                           .arg(name)
                           .arg(keywords)
                           .arg(keywords == 1 ? tr("keyword") : tr("keywords"))
                           .arg(blockCount)
                           .arg(blockCount == 1 ? tr("object or group") : tr("objects and groups")) +
                       cut);
    } else {
        note_->setText(tr("The label of %1 is read up to line %2: %3.")
                           .arg(name)
                           .arg(label.problemLine)
                           .arg(QString::fromStdString(label.problem)) +
                       cut);
    }
    // Each node hangs under the last block opened one level up.
    std::vector<QTreeWidgetItem*> blocks;
    QList<QTreeWidgetItem*> top;
    QList<QTreeWidgetItem*> blockRows;
    int deepest = 0;
    for (const OdlNode& node : label.nodes) {
        deepest = std::max(deepest, node.depth);
        QTreeWidgetItem* item = MakeItem(node);
        const auto depth = static_cast<std::size_t>(node.depth);
        if (blocks.size() > depth) blocks.resize(depth);
        if (blocks.empty()) {
            top << item;
        } else {
            blocks.back()->addChild(item);
        }
        if (node.kind != OdlNodeKind::Keyword) {
            blocks.push_back(item);
            blockRows << item;
        }
    }
    tree_->addTopLevelItems(top);
    // A block's name runs across the row; the first column holds no more
    // than the indentation of the deepest statement.
    for (QTreeWidgetItem* row : blockRows) row->setFirstColumnSpanned(true);
    tree_->header()->resizeSection(BlockColumn, std::max(tree_->indentation() * (deepest + 2),
                                                         tree_->header()->sectionSizeHint(BlockColumn)));
    tree_->expandAll();
    ApplyFilter();
}

void TLabelKeywordsWindow::Clear() {
    tree_->clear();
    while (georeferenceRows_->rowCount() > 0) georeferenceRows_->removeRow(0);
    georeference_->hide();
    note_->setText(tr("No image is shown."));
}

void TLabelKeywordsWindow::ApplyFilter() {
    const QString text = filter_->text().trimmed();
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) Filter(tree_->topLevelItem(i), text, false);
}

bool TLabelKeywordsWindow::Filter(QTreeWidgetItem* item, const QString& text, bool blockMatched) {
    bool matches = text.isEmpty() || blockMatched;
    for (int c = BlockColumn; c <= UnitColumn && !matches; ++c) {
        matches = item->text(c).contains(text, Qt::CaseInsensitive);
    }
    const bool block = !item->text(BlockColumn).isEmpty();
    bool memberShown = false;
    for (int i = 0; i < item->childCount(); ++i) {
        memberShown = Filter(item->child(i), text, block && matches) || memberShown;
    }
    const bool shown = matches || memberShown;
    item->setHidden(!shown);
    return shown;
}

void TLabelKeywordsWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit Closed();
}

}  // namespace dusk::app
