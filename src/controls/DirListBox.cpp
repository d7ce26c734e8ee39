#include "controls/DirListBox.h"

#include "platform/DirectoryLister.h"
#include "platform/DisplayText.h"
#include "platform/DosPath.h"
#include "platform/Drives.h"
#include "platform/Error.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

namespace qel {

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int LevelRole = Qt::UserRole + 1;

// Shifts each entry right by its level, as the classic list draws its tree.
class IndentDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted = option;
        shifted.rect.adjust(indent(index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex& index) { return index.data(LevelRole).toInt() * 12; }
};

} // namespace

DirListBox::DirListBox(Drives& drives, const DirectoryLister& lister, QWidget* parent)
    : QListWidget(parent)
    , m_drives(drives)
    , m_lister(lister) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openEntry(row(item)); });

    const QString start = m_drives.startDirectory();
    const auto path = DosPath::parse(start);
    const QString candidates[] = {start, path ? path->driveText() + u'\\' : QString()};
    for (const QString& candidate : candidates) {
        const auto where = DosPath::parse(candidate);
        if (!where)
            continue;
        try {
            const QStringList subFolders = m_lister.subFolders(where->toString());
            m_path = where->toString();
            display(*where, subFolders);
            return;
        } catch (const Error&) {
            // The next candidate, and at last an empty list, still gives a usable window.
        }
    }
    if (path) {
        m_path = path->toString();
        display(*path, {});
    }
}

QString DirListBox::Path() const {
    return m_path;
}

void DirListBox::setPath(const QString& pathOrDrive) {
    const bool drive = isDosDriveText(pathOrDrive);
    std::optional<DosPath> path;
    if (drive) {
        path = DosPath::parse(m_drives.currentDirectory(*dosDriveLetter(pathOrDrive)));
        // Shown with the letter as the drive list gives it.
        if (path)
            path->lowerCaseDrive = pathOrDrive[0].isLower();
    } else {
        path = DosPath::parse(pathOrDrive);
    }
    if (!path)
        throw Error(err::PathNotFound);

    QStringList subFolders;
    try {
        subFolders = m_lister.subFolders(path->toString());
    } catch (const Error& e) {
        // A drive's remembered folder that can no longer be read must not make
        // the drive unusable: it opens at its root, and only a root that
        // cannot be read either fails.
        if (!drive || path->isRoot() || e.number() == err::DeviceUnavailable)
            throw;
        path->components.clear();
        subFolders = m_lister.subFolders(path->toString());
    }
    const QString target = path->toString();
    const bool moved = target != m_path;
    m_path = target;
    display(*path, subFolders);
    m_drives.setCurrentDirectory(target);
    if (moved)
        emit Change();
}

void DirListBox::openEntry(int row) {
    const QListWidgetItem* entry = item(row);
    if (!entry)
        return;
    const QString path = entry->data(PathRole).toString();
    try {
        setPath(path);
    } catch (const Error& error) {
        emit failed(error.number(), error.description());
    }
}

void DirListBox::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        openEntry(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirListBox::display(const DosPath& path, const QStringList& subFolders) {
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto add = [this](const QIcon& icon, const QString& text, const DosPath& target,
                            int level) {
        auto* entry = new QListWidgetItem(icon, displayText(text), this);
        entry->setData(PathRole, target.toString());
        entry->setData(LevelRole, level);
    };

    clear();
    DosPath ancestor{path.drive, {}, path.lowerCaseDrive};
    add(open, ancestor.toString(), ancestor, 0);
    for (const QString& name : path.components) {
        ancestor = ancestor.child(name);
        add(open, name, ancestor, int(ancestor.components.size()));
    }
    const int current = count() - 1;
    const int level = int(path.components.size()) + 1;
    for (const QString& name : subFolders)
        add(closed, name, path.child(name), level);
    setCurrentRow(current);
}

} // namespace qel
