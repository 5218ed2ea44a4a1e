#include "smart/smart_send.h"

#include "smart/ringtone.h"
#include "sms/message_operations.h"

namespace pelmar {

namespace {

// The PDUs of a message, or the refusal of its input. The builders throw EInput naming the
// field; any other Error (a concatenation reference out of range) names none.
template <class Build>
std::optional<Outcome> build(QList<WrittenPdu>& pdus, const Build& buildPdus) {
    try {
        pdus = buildPdus();
    } catch (const EInput& e) {
        return Outcome::inputRefused(e.problem());
    } catch (const Error& e) {
        return Outcome::inputRefused(e.message());
    }
    return std::nullopt;
}

// A one-off text for a message of any number of parts: no count is shown.
std::function<ProgressStep(int, int)> fixedText(const QString& text) {
    return [text](int, int) { return ProgressStep{text}; };
}

}  // namespace

SmartSendResult SendSmartPdus(AtChannel& channel, const QList<WrittenPdu>& pdus,
                              const std::function<ProgressStep(int, int)>& stepOf,
                              const Progress& progress, std::stop_token stop) {
    SmartSendResult result;
    result.partsTotal = static_cast<int>(pdus.size());
    if (pdus.isEmpty()) {
        result.outcome = Outcome::inputRefused(QStringLiteral("The smart message is empty."));
        return result;
    }
    const auto exchange = [&]() -> std::optional<Outcome> {
        if (!SelectPduMode(channel))
            return std::nullopt;
        for (const WrittenPdu& pdu : pdus) {
            if (stepOf && progress)
                progress(stepOf(result.partsSent + 1, result.partsTotal));
            const AtReply reply = channel.SendPdu(
                QByteArrayLiteral("at+cmgs=") + QByteArray::number(pdu.length), pdu.hex);
            // The next part goes only once this one is accepted: a refused part ends the send.
            if (!reply.isOk())
                return std::nullopt;
            ++result.partsSent;
        }
        return std::nullopt;
    };
    result.outcome = RunOperation(channel, exchange, std::move(stop));
    return result;
}

SmartSendResult SendRingtone(AtChannel& channel, const QString& number, const QString& rtttl,
                             SmscField smsc, const Progress& progress, std::stop_token stop) {
    QList<WrittenPdu> pdus;
    const auto refusal = build(pdus, [&] { return BuildRingtonePdus(number, rtttl, smsc); });
    if (refusal)
        return {*refusal, 0, 0, {}};
    return SendSmartPdus(channel, pdus, fixedText(QStringLiteral("Sending ringtone...")), progress,
                         std::move(stop));
}

SmartSendResult SendPictureMessage(AtChannel& channel, const QString& number, const QString& text,
                                   PictureCoding coding, const MonoBitmap& picture,
                                   ConcatReference reference, SmscField smsc,
                                   const Progress& progress, std::stop_token stop) {
    QList<WrittenPdu> pdus;
    const auto refusal = build(pdus, [&] {
        return BuildPicturePdus(number, text, coding, picture, reference.value(), smsc);
    });
    if (refusal)
        return {*refusal, 0, 0, reference};
    SmartSendResult result = SendSmartPdus(
        channel, pdus,
        [](int n, int m) {
            return ProgressStep{QStringLiteral("Sending part %1 from %2").arg(n).arg(m), n, m};
        },
        progress, std::move(stop));
    // A send that stopped part-way is repeated under the same reference.
    if (result.outcome.isDone() && result.partsSent == result.partsTotal)
        reference.advance();
    result.nextReference = reference;
    return result;
}

SmartSendResult SendOperatorLogo(AtChannel& channel, const QString& number,
                                 const NetworkCode& network, const MonoBitmap& logo, SmscField smsc,
                                 const Progress& progress, std::stop_token stop) {
    QList<WrittenPdu> pdus;
    const auto refusal = build(pdus, [&] { return BuildLogoPdus(number, network, logo, smsc); });
    if (refusal)
        return {*refusal, 0, 0, {}};
    return SendSmartPdus(channel, pdus, fixedText(QStringLiteral("Sending logo...")), progress,
                         std::move(stop));
}

}  // namespace pelmar
