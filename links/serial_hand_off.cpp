#include "links/serial_hand_off.h"

#include <system_error>
#include <utility>

namespace torvane {

void SerialDelivery::Bytes(std::vector<std::uint8_t> bytes) const {
    loop_->PostFromAnyThread([target = target_, bytes = std::move(bytes)] {
        if (target->owner) target->owner->OnSerialBytes(bytes.data(), bytes.size());
    });
}

void SerialDelivery::Failure() const {
    loop_->PostFromAnyThread([target = target_] {
        if (target->owner) target->owner->OnSerialFailure();
    });
}

void SerialHandOff::BeginSession(SerialPortOwner* owner) {
    EndSession();
    target_ = std::make_shared<SerialDelivery::Target>();
    target_->owner = owner;
}

void SerialHandOff::EndSession() {
    if (target_) target_->owner = nullptr;
    target_.reset();
    AcceptWrites(false);
}

bool SerialHandOff::StartMonitor(std::thread* thread, std::function<void(SerialDelivery)> monitor) {
    if (!InSession()) return false;
    AcceptWrites(true);
    try {
        *thread = std::thread(std::move(monitor), Delivery());
    } catch (const std::system_error&) {
        AcceptWrites(false);
        return false;
    }
    return true;
}

void SerialHandOff::AcceptWrites(bool accept) {
    std::lock_guard lock(writeLock_);
    acceptingWrites_ = accept;
    if (!accept) writes_.clear();
}

bool SerialHandOff::Queue(const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard lock(writeLock_);
    if (!acceptingWrites_) return false;
    writes_.emplace_back(bytes, bytes + count);
    return true;
}

std::deque<SerialHandOff::Unit> SerialHandOff::TakeWrites() {
    std::lock_guard lock(writeLock_);
    return std::exchange(writes_, {});
}

}  // namespace torvane
