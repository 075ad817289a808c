#pragma once

#include <QString>
#include <memory>
#include <utility>
#include <vector>

// An ordered list of (text, object) entries that owns its objects: the user list, a user's
// two book lists and the group of due words.
template <typename T> class TStringList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }

    const QString& Text(int index) const { return items_.at(static_cast<size_t>(index)).first; }
    void SetText(int index, const QString& text) {
        items_.at(static_cast<size_t>(index)).first = text;
    }
    T* Object(int index) const { return items_.at(static_cast<size_t>(index)).second.get(); }

    T* Add(const QString& text, std::unique_ptr<T> object) {
        items_.emplace_back(text, std::move(object));
        return items_.back().second.get();
    }
    T* Insert(int index, const QString& text, std::unique_ptr<T> object) {
        auto it = items_.emplace(items_.begin() + index, text, std::move(object));
        return it->second.get();
    }

    int IndexOfObject(const T* object) const {
        for (size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].second.get() == object) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    // Takes the entry out of the list and hands its object to the caller.
    std::unique_ptr<T> Extract(int index) {
        auto object = std::move(items_.at(static_cast<size_t>(index)).second);
        items_.erase(items_.begin() + index);
        return object;
    }
    void Delete(int index) { Extract(index); }
    void Move(int from, int to) {
        auto entry = std::move(items_.at(static_cast<size_t>(from)));
        items_.erase(items_.begin() + from);
        items_.insert(items_.begin() + to, std::move(entry));
    }
    void Clear() { items_.clear(); }

private:
    std::vector<std::pair<QString, std::unique_ptr<T>>> items_;
};
