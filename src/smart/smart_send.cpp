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

}  // namespace

ProgressStep ringtoneStep(int, int) {
    return ProgressStep{QStringLiteral("Sending ringtone...")};
}

ProgressStep pictureStep(int part, int parts) {
    return ProgressStep{QStringLiteral("Sending part %1 from %2").arg(part).arg(parts), part,
                        parts};
}

ProgressStep logoStep(int, int) {
    return ProgressStep{QStringLiteral("Sending logo...")};
}

ConcatReference referenceAfter(ConcatReference used, const SmartSendResult& result) {
    if (result.outcome.isDone() && result.partsSent == result.partsTotal)
        used.advance();
    return used;
}

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
    return SendSmartPdus(channel, pdus, ringtoneStep, progress, std::move(stop));
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
    SmartSendResult result = SendSmartPdus(channel, pdus, pictureStep, progress, std::move(stop));
    result.nextReference = referenceAfter(reference, result);
    return result;
}

SmartSendResult SendOperatorLogo(AtChannel& channel, const QString& number,
                                 const NetworkCode& network, const MonoBitmap& logo, SmscField smsc,
                                 const Progress& progress, std::stop_token stop) {
    QList<WrittenPdu> pdus;
    const auto refusal = build(pdus, [&] { return BuildLogoPdus(number, network, logo, smsc); });
    if (refusal)
        return {*refusal, 0, 0, {}};
    return SendSmartPdus(channel, pdus, logoStep, progress, std::move(stop));
}

}  // namespace pelmar
