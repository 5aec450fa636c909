// The network module's datagrams: the discovery answer and the answer to a
// configuration packet.

#include <algorithm>

#include "sim/switcher_model.h"

namespace torvane::sim {
namespace {

constexpr std::size_t kDiscoveryAnswerSize = 50;
constexpr std::size_t kConfigPacketSize = 76;
constexpr std::uint8_t kDiscoveryRequest = 0x61;  // 'a'
constexpr std::uint8_t kRequestMark = 0xFF;       // byte 74: FF asks, 00 answers

std::uint8_t PlainSum(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
    return static_cast<std::uint8_t>(sum);
}

template <std::size_t N>
void Put(std::vector<std::uint8_t>& out, std::size_t at, const std::array<std::uint8_t, N>& field) {
    std::copy(field.begin(), field.end(), out.begin() + static_cast<long>(at));
}

template <std::size_t N>
std::array<std::uint8_t, N> Take(const std::vector<std::uint8_t>& in, std::size_t at) {
    std::array<std::uint8_t, N> field;
    std::copy_n(in.begin() + static_cast<long>(at), N, field.begin());
    return field;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> SwitcherModel::AnswerDiscovery(
    const std::vector<std::uint8_t>& request) {
    if (!faults_.answerDiscovery || request.size() != 1 || request[0] != kDiscoveryRequest)
        return std::nullopt;
    const NetworkSettings& net = state_.network;
    std::vector<std::uint8_t> answer(kDiscoveryAnswerSize, 0x00);
    Put(answer, 0, net.mac);
    Put(answer, 6, net.ip);
    Put(answer, 10, net.gateway);
    Put(answer, 14, net.netmask);
    answer[18] = 0x77;
    answer[19] = 0x88;
    answer[20] = net.autoAddress ? 0x01 : 0x00;
    answer[21] = static_cast<std::uint8_t>(net.controlPort >> 8);
    answer[22] = static_cast<std::uint8_t>(net.controlPort & 0xFF);
    answer[23] = state_.identity.deviceType;
    return answer;
}

std::optional<std::vector<std::uint8_t>> SwitcherModel::AnswerConfiguration(
    const std::vector<std::uint8_t>& packet) {
    if (!faults_.answerDiscovery || packet.size() < kConfigPacketSize) return std::nullopt;
    NetworkSettings& net = state_.network;
    if (Take<6>(packet, 0) != net.mac || packet[74] != kRequestMark ||
        PlainSum(packet, 75) != packet[75])
        return std::nullopt;

    const bool automatic = packet[18] == 0x01;
    net.autoAddress = automatic;
    // No address server on the simulated network: an automatic address
    // keeps the one the switcher has.
    if (!automatic) {
        net.ip = Take<4>(packet, 6);
        net.gateway = Take<4>(packet, 10);
        net.netmask = Take<4>(packet, 14);
    }
    net.mac = Take<6>(packet, 19);

    std::vector<std::uint8_t> answer(packet.begin(), packet.begin() + kConfigPacketSize);
    Put(answer, 0, net.mac);
    Put(answer, 6, net.ip);
    Put(answer, 10, net.gateway);
    Put(answer, 14, net.netmask);
    answer[74] = 0x00;
    answer[75] = PlainSum(answer, 75);
    return answer;
}

}  // namespace torvane::sim
