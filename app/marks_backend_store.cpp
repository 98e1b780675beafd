// SPDX-License-Identifier: GPL-3.0-or-later
// The marks store of the user's data folder behind the marks seam.
#include "app/marks_backend.h"
#include "marks/marks_store.h"

namespace dusk::app {

namespace {

class StoreMarks : public MarksBackend {
public:
    explicit StoreMarks(std::unique_ptr<MarksStore> store) : store_(std::move(store)) {}
    std::string KeyOf(std::span<const std::uint8_t> file) const override { return ContentKey(file); }
    std::vector<Mark> MarksOf(const std::string& key, std::string& error) const override {
        return store_->MarksOf(key, error);
    }
    std::optional<std::int64_t> Add(const std::string& key, const std::string& fileName, const Mark& mark,
                                    std::string& error) override {
        return store_->Add(key, fileName, mark, error);
    }
    bool Restore(const std::string& key, const std::string& fileName, const Mark& mark,
                 std::string& error) override {
        return store_->Restore(key, fileName, mark, error);
    }
    bool Remove(std::int64_t id, std::string& error) override { return store_->Remove(id, error); }

private:
    std::unique_ptr<MarksStore> store_;
};

}  // namespace

std::unique_ptr<MarksBackend> OpenMarksStore(std::string& error) {
    std::unique_ptr<MarksStore> store = MarksStore::Open(DefaultMarksPath(), error);
    if (!store) return nullptr;
    return std::make_unique<StoreMarks>(std::move(store));
}

}  // namespace dusk::app
