#include "screens/board_list.h"

#include <algorithm>
#include <cstdio>

void BoardList::show(const LevelBoard& top, const BoardAround* around, int64_t player) {
    const int64_t kept = highlighted() != nullptr ? highlighted()->line.player : 0;
    rows_.clear();
    const std::size_t shownTop = std::min(top.top.size(), TopRows);
    for (std::size_t i = 0; i < shownTop; ++i) {
        rows_.push_back(Row{top.top[i], false, false});
    }
    if (around != nullptr) {
        std::vector<BoardRow> below;
        for (const BoardRow& line : around->entries) {
            const bool listed = std::any_of(rows_.begin(), rows_.end(), [&](const Row& row) {
                return row.line.player == line.player;
            });
            if (!listed) {
                below.push_back(line);
            }
        }
        std::stable_sort(below.begin(), below.end(),
                         [](const BoardRow& a, const BoardRow& b) { return a.rank < b.rank; });
        const int64_t lastRank = rows_.empty() ? 0 : rows_.back().line.rank;
        for (std::size_t i = 0; i < below.size(); ++i) {
            const bool gap = i == 0 && below[i].rank > lastRank + 1;
            rows_.push_back(Row{below[i], false, gap});
        }
    }
    for (Row& row : rows_) {
        row.mine = player > 0 && row.line.player == player;
    }
    const auto find = [&](int64_t id) {
        const auto found = std::find_if(rows_.begin(), rows_.end(),
                                        [&](const Row& row) { return row.line.player == id; });
        return id > 0 && found != rows_.end() ? static_cast<int>(found - rows_.begin()) : -1;
    };
    highlight_ = find(kept);
    if (highlight_ < 0) {
        highlight_ = find(player);
    }
    if (highlight_ < 0) {
        highlight_ = rows_.empty() ? -1 : 0;
    }
    keepInView();
}

void BoardList::moveUp() {
    if (highlight_ > 0) {
        --highlight_;
        keepInView();
    }
}

void BoardList::moveDown() {
    if (highlight_ + 1 < static_cast<int>(rows_.size())) {
        ++highlight_;
        keepInView();
    }
}

const BoardList::Row* BoardList::highlighted() const {
    return highlight_ >= 0 && highlight_ < static_cast<int>(rows_.size())
               ? &rows_[static_cast<std::size_t>(highlight_)]
               : nullptr;
}

bool BoardList::anyUntimed() const {
    return std::any_of(rows_.begin(), rows_.end(), [](const Row& row) { return !row.line.timed; });
}

void BoardList::keepInView() {
    const int count = static_cast<int>(rows_.size());
    if (highlight_ < first_) {
        first_ = highlight_;
    }
    if (highlight_ >= first_ + VisibleRows) {
        first_ = highlight_ - VisibleRows + 1;
    }
    // No empty rows below the last line while earlier ones are hidden.
    first_ = std::max(0, std::min(first_, count - VisibleRows));
}

std::string boardStateText(const std::tm* fetchedAt, bool fetching, const std::string& message) {
    if (message.empty()) {
        return fetching && fetchedAt == nullptr ? "Chargement du classement…" : "";
    }
    if (fetchedAt == nullptr) {
        return "Serveur injoignable : " + message;
    }
    char when[64];
    std::snprintf(when, sizeof when, "%02d/%02d/%04d à %02d:%02d", fetchedAt->tm_mday,
                  fetchedAt->tm_mon + 1, fetchedAt->tm_year + 1900, fetchedAt->tm_hour,
                  fetchedAt->tm_min);
    return std::string("Serveur injoignable : classement du ") + when;
}
