#include "sim/in_process_ports.h"

namespace torvane::sim {

SimSerialPort::~SimSerialPort() {
    *alive_ = false;
    Close();
    factory_.Forget(this);
}

Status SimSerialPort::InitPort(SerialPortOwner* owner, const std::string& portPath,
                               const SerialSettings& /*settings*/) {
    Close();
    SimLinkFactory::Switcher* switcher = factory_.FindBySerialPath(portPath);
    if (switcher == nullptr || switcher->unplugged) {
        return SystemError("no such port: " + portPath);
    }
    if (switcher->serialUser != nullptr) {
        return SystemError("port busy: " + portPath);
    }
    owner_ = owner;
    switcher_ = switcher;
    switcher->serialUser = this;
    EventLoop& loop = factory_.Loop();
    Liveness alive = alive_;
    link_ = switcher->model->Attach(LinkKind::kSerial, [this, &loop, alive](const auto& chunk) {
        loop.Post([this, alive, chunk] {
            if (*alive && monitoring_ && link_ && owner_)
                owner_->OnSerialBytes(chunk.data(), chunk.size());
        });
    });
    return {};
}

bool SimSerialPort::StartMonitoring() {
    if (!link_) return false;
    monitoring_ = true;
    return true;
}

void SimSerialPort::StopMonitoring() { Close(); }

void SimSerialPort::WriteToPort(const std::uint8_t* bytes, std::size_t count) {
    if (link_) link_->Write(bytes, count);
}

void SimSerialPort::Fail() {
    if (!link_) return;
    SerialPortOwner* owner = owner_;
    const bool reporting = monitoring_;
    Close();
    Liveness alive = alive_;
    if (reporting && owner != nullptr)
        factory_.Loop().Post([alive, owner] {
            if (*alive) owner->OnSerialFailure();
        });
}

void SimSerialPort::Close() {
    link_.reset();
    monitoring_ = false;
    if (switcher_ != nullptr && switcher_->serialUser == this) switcher_->serialUser = nullptr;
    switcher_ = nullptr;
}

}  // namespace torvane::sim
