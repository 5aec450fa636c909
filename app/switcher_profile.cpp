#include "app/switcher_profile.h"

namespace torvane {

Status SwitcherProfile::Identify(const std::string& key) {
    key_.reset();
    current_ = {};
    notice_.clear();
    if (!store_) {
        Changed();
        return SystemError("names and presets are not kept: no configuration folder");
    }
    auto loaded = store_->Load(key);
    key_ = key;
    if (loaded) {
        current_ = std::move(loaded->profile);
        notice_ = std::move(loaded->notice);
    }
    Changed();
    if (!loaded) return loaded.error();
    return {};
}

void SwitcherProfile::Forget() {
    if (!key_ && current_ == profile::Profile{}) return;
    key_.reset();
    current_ = {};
    notice_.clear();
    Changed();
}

const std::string& SwitcherProfile::Key() const {
    static const std::string kNone;
    return key_ ? *key_ : kNone;
}

Status SwitcherProfile::Change(const std::function<Status(profile::Profile&)>& change) {
    if (!store_ || !key_) return SystemError("no switcher is connected");
    auto updated = store_->Update(*key_, change);
    if (!updated) return updated.error();
    current_ = std::move(updated->profile);
    if (!updated->notice.empty()) notice_ = std::move(updated->notice);
    Changed();
    return {};
}

void SwitcherProfile::Changed() {
    if (onChanged_) onChanged_();
}

}  // namespace torvane
