#pragma once
// The entries of a persistence component, in list order.
#include "settings/TProp.h"

#include <QString>

#include <memory>
#include <vector>

namespace tamsel {

class TCustomSaveProps;

class TProps {
public:
    explicit TProps(TCustomSaveProps *owner) : owner_(owner) {}
    TProps(const TProps &) = delete;
    TProps &operator=(const TProps &) = delete;

    TCustomSaveProps *Owner() const { return owner_; }

    TProp *Add();
    // Adds an entry and sets its fields in the order a window's layout gives them.
    TProp *Add(QObject *compo, const QString &propName, const QString &sectionName = QString(),
               const QString &keyName = QString(), bool enabled = true);
    void Delete(int index);
    void Clear() { items_.clear(); }
    int Count() const { return int(items_.size()); }
    TProp *Items(int index) const { return items_.at(size_t(index)).get(); }

    // Listing: the columns "Property", "Section" and "Key".
    static int ColumnCount() { return 3; }
    static QString ColumnTitle(int column);
    QString ColumnText(int index, int column) const;

    class const_iterator {
    public:
        using It = std::vector<std::unique_ptr<TProp>>::const_iterator;
        explicit const_iterator(It it) : it_(it) {}
        TProp *operator*() const { return it_->get(); }
        const_iterator &operator++()
        {
            ++it_;
            return *this;
        }
        bool operator!=(const const_iterator &o) const { return it_ != o.it_; }

    private:
        It it_;
    };
    const_iterator begin() const { return const_iterator(items_.begin()); }
    const_iterator end() const { return const_iterator(items_.end()); }

private:
    TCustomSaveProps *owner_;
    std::vector<std::unique_ptr<TProp>> items_;
};

} // namespace tamsel
