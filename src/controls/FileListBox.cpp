#include "controls/FileListBox.h"

#include "platform/DirectoryLister.h"
#include "platform/DisplayText.h"
#include "platform/Error.h"

#include <QKeyEvent>

namespace qel {

namespace {
constexpr int InvalidIndex = 381;
// The DOS name of an entry shown by a look-alike; other entries show their own.
constexpr int DosNameRole = Qt::UserRole;
} // namespace

FileListBox::FileListBox(const DirectoryLister& lister, QWidget* parent)
    : QListWidget(parent)
    , m_lister(lister) {
    setSelectionMode(QAbstractItemView::MultiSelection);
    // Every row is one line of text: lets the view skip measuring 100,000 rows.
    setUniformItemSizes(true);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        m_listIndex = index.row();
        emit Click();
    });
}

QString FileListBox::Path() const {
    return m_path;
}

void FileListBox::setPath(const QString& path) {
    m_path = path;
    m_listIndex = -1;
    clear();
    const QStringList names = m_lister.files(path);
    QStringList shown;
    shown.reserve(names.size());
    QList<int> mapped;
    for (int i = 0; i < names.size(); ++i) {
        shown.append(displayText(names[i]));
        if (holdsStandIns(names[i]))
            mapped.append(i);
    }
    addItems(shown);
    for (const int i : mapped)
        item(i)->setData(DosNameRole, names[i]);
}

int FileListBox::ListCount() const {
    return count();
}

QString FileListBox::List(int i) const {
    if (i < 0 || i >= count())
        throw Error(InvalidIndex, QStringLiteral("Invalid property array index"));
    const QListWidgetItem* entry = item(i);
    const QVariant dosName = entry->data(DosNameRole);
    return dosName.isValid() ? dosName.toString() : entry->text();
}

int FileListBox::ListIndex() const {
    return m_listIndex;
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    const int now = currentRow();
    if (now >= 0 && (now != before || event->key() == Qt::Key_Space)) {
        m_listIndex = now;
        emit Click();
    }
}

} // namespace qel
