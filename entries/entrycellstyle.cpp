#include "entries/entrycellstyle.h"

#include <QImage>
#include <QModelIndex>
#include <QPixmap>
#include <QPixmapCache>

namespace {

// The views ask for the icons on every paint: scale each one once.
QPixmap ScaledIcon(const QString& path, int size)
{
    const QString key = QStringLiteral("entryicon:%1:%2").arg(path).arg(size);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap::fromImage(QImage(path))
                     .scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

} // namespace

QVariant StyledEntryCell(const std::vector<EntryCellStyle>& styles, const QModelIndex& index, int role)
{
    if (role != Qt::DecorationRole && role != Qt::ToolTipRole)
        return QVariant();
    for (const EntryCellStyle& style : styles) {
        if (style.column != index.column())
            continue;
        if (role == Qt::DecorationRole)
            return ScaledIcon(QString::fromLatin1(style.icon), style.iconSize);
        if (style.tooltip)
            return QString::fromLatin1(style.tooltip);
        return QVariant();
    }
    return QVariant();
}
