#include "sms/message_operations.h"

#include <algorithm>

#include "base/t_reg_expr.h"
#include "link/at_error_texts.h"
#include "sms/listing_decoder.h"
#include "sms/long_message.h"
#include "sms/message_input.h"

namespace pelmar {

namespace {

// The storage counts of "+CPMS: used,total,..."; any number of digits, as a handset's own memory
// may hold more than 99 messages.
constexpr QByteArrayView kStorageCountExpression = "CPMS:[\\s]*([\\d]+)\\,([\\d]+)";

// What "at+cmgs"/"at+cmgw"/"at+cmss" answer before OK: "+CMGS: 12".
std::optional<int> numberAfter(const AtReply& reply, QByteArrayView prefix) {
    const QByteArray line = reply.lineStartingWith(prefix);
    if (line.isEmpty())
        return std::nullopt;
    bool good = false;
    const int value = line.mid(prefix.size()).trimmed().toInt(&good);
    return good ? std::optional<int>(value) : std::nullopt;
}

// The number of stored messages, or -1 when the reply does not tell it.
int storedMessageCount(const AtReply& reply) {
    TRegExpr re(kStorageCountExpression);
    if (!reply.isOk() || !re.Exec(reply.text()))
        return -1;
    bool good = false;
    const int count = re.Match(1).toInt(&good);
    return good ? count : -1;
}

// Entry `index` of a listing the handset counted `expected` (-1: did not say); past the count
// the step has no total, so that a progress bar never runs over.
void reportReading(const Progress& progress, int index, int expected,
                   const QList<DecodedMessage>& arrived) {
    if (!progress)
        return;
    if (expected < index) {
        progress(ProgressStep{QStringLiteral("Reading message %1").arg(index), index, 0,
                              QVariant::fromValue(arrived)});
    } else {
        progress(ProgressStep{QStringLiteral("Reading message %1 from %2").arg(index).arg(expected),
                              index, expected, QVariant::fromValue(arrived)});
    }
}

// The verdict of a listing that came whole: the user learns that some entries need a look.
Outcome listingVerdict(int unreadable) {
    Outcome verdict = Outcome::done();
    if (unreadable > 0) {
        verdict.text =
            QStringLiteral("Done. %1 listed %2 could not be read (shown as \"%3\").")
                .arg(unreadable)
                .arg(unreadable == 1 ? QStringLiteral("message") : QStringLiteral("messages"))
                .arg(DecodedMessage::UnreadableText);
    }
    return verdict;
}

// The verdict of a deletion run that reached its end: the count, not the last answer, which may
// be an OK after a refused deletion.
Outcome deletionVerdict(const DeleteResult& r, qsizetype asked,
                        const std::optional<AtReply>& refusal) {
    if (r.deleted.size() == asked)
        return Outcome::done();
    if (refusal && judgeReply(*refusal).kind == Outcome::Kind::PhoneRefused)
        return Outcome::phoneRefused();
    return Outcome::handsetError(
        QStringLiteral("%1 of %2 messages could not be deleted; the handset answered %3.")
            .arg(asked - r.deleted.size())
            .arg(asked)
            .arg(refusal ? answerText(*refusal) : QStringLiteral("\"\"")));
}

// The destination of "at+cmss": the digits, with one "+" in front when the number was given as
// international. Nothing is added to a national number. Called only after numberProblem, which
// lets through nothing but ASCII digits and "+": the result is always a dial string that may
// stand between the quotes of the command.
QByteArray dialString(const QString& number) {
    QByteArray digits;
    for (const QChar c : number) {
        if (c.isDigit())
            digits += static_cast<char>(c.unicode());
    }
    return number.contains(QLatin1Char('+')) ? '+' + digits : digits;
}

// A submission refused before the port was touched; the reference stays for the next message.
SubmitResult refusal(const Outcome& outcome, ConcatReference reference = {}) {
    SubmitResult result;
    result.outcome = outcome;
    result.nextReference = reference;
    return result;
}

// "Sent parts 1–2 of 3; part 3 was not sent", for a message of several parts that did not all go.
QString partsReport(bool stored, int done, int total) {
    const QString went = stored ? QStringLiteral("Stored") : QStringLiteral("Sent");
    const QString verb = stored ? QStringLiteral("stored") : QStringLiteral("sent");
    if (done == 0)
        return QStringLiteral("No part of %1 was %2").arg(total).arg(verb);
    const QString first =
        done == 1 ? QStringLiteral("%1 part 1 of %2").arg(went).arg(total)
                  : QStringLiteral("%1 parts 1–%2 of %3").arg(went).arg(done).arg(total);
    const QString rest =
        done + 1 == total
            ? QStringLiteral("part %1 was not %2").arg(total).arg(verb)
            : QStringLiteral("parts %1–%2 were not %3").arg(done + 1).arg(total).arg(verb);
    return first + QStringLiteral("; ") + rest;
}

// Hands `total` parts to the handset, `submit(i)` sending part i (from 0), each accepted before
// the next goes; fills the result's part counts and references. `answer` names the number the
// handset gives for a part ("+CMGS:").
void SubmitParts(AtChannel& channel, int total, const std::function<AtReply(int)>& submit,
                 QByteArrayView answer, const std::function<QString(int, int)>& stepText,
                 const Progress& progress, std::stop_token stop, bool stored,
                 SubmitResult& result) {
    result.partsTotal = total;
    result.outcome = RunOperation(
        channel,
        [&]() -> std::optional<Outcome> {
            if (!SelectPduMode(channel))
                return std::nullopt;
            for (int i = 0; i < total; ++i) {
                if (total > 1)
                    reportProgress(progress, stepText(i + 1, total), i + 1, total);
                const AtReply reply = submit(i);
                if (!reply.isOk())
                    return std::nullopt;  // the next part goes only once this one is accepted
                const std::optional<int> number = numberAfter(reply, answer);
                if (i == 0)
                    result.reference = number;
                result.partReferences.append(number.value_or(-1));
                ++result.partsDone;
            }
            return std::nullopt;
        },
        std::move(stop));
    if (total > 1 && result.partsDone < total) {
        result.outcome.text = partsReport(stored, result.partsDone, total) + QStringLiteral(". ") +
                              result.outcome.text;
        if (result.outcome.isDone())  // not every part went: never "Done."
            result.outcome.kind = Outcome::Kind::HandsetError;
    }
}

}  // namespace

bool SelectPduMode(AtChannel& channel) {
    return channel.SendAndWait("at+cmgf=0").isOk();
}

QList<WrittenPdu> BuildTextMessagePdus(const TextMessage& message) {
    throwIf(textProblem(message.text, message.mode, message.longMessage));
    throwIf(numberProblem(message.number));
    const QList<QByteArray> tpdus =
        message.longMessage
            ? BuildLongSubmitPdus(message.number, message.text, message.mode,
                                  message.reference.value())
            : QList<QByteArray>{BuildSubmitPdu(message.number, message.text, message.mode)};
    QList<WrittenPdu> pdus;
    for (const QByteArray& tpdu : tpdus)
        pdus.append(PduForWriting(tpdu, message.smsc));
    return pdus;
}

SubmitResult SendOrStoreSMS(AtChannel& channel, const TextMessage& message, SubmitAction action,
                            const Progress& progress, std::stop_token stop) {
    QList<WrittenPdu> pdus;
    try {
        pdus = BuildTextMessagePdus(message);
    } catch (const EInput& e) {
        return refusal(Outcome::inputRefused(e.problem()), message.reference);
    }
    return SubmitTextMessage(channel, pdus, action, message.reference, progress, std::move(stop));
}

SubmitResult SubmitTextMessage(AtChannel& channel, const QList<WrittenPdu>& pdus,
                               SubmitAction action, ConcatReference reference,
                               const Progress& progress, std::stop_token stop) {
    const bool send = action == SubmitAction::Send;
    if (pdus.size() == 1) {
        reportProgress(progress, send ? QStringLiteral("Sending message...")
                                      : QStringLiteral("Storing message..."));
    }
    const QByteArray command = send ? QByteArrayLiteral("at+cmgs=") : QByteArrayLiteral("at+cmgw=");
    SubmitResult result;
    result.nextReference = reference;
    SubmitParts(
        channel, static_cast<int>(pdus.size()),
        [&](int i) {
            return channel.SendPdu(command + QByteArray::number(pdus[i].length), pdus[i].hex);
        },
        send ? "+CMGS:" : "+CMGW:",
        [send](int i, int k) {
            return (send ? QStringLiteral("Sending part %1 from %2")
                         : QStringLiteral("Storing part %1 from %2"))
                .arg(i)
                .arg(k);
        },
        progress, std::move(stop), !send, result);
    if (pdus.size() > 1 && result.outcome.isDone())
        result.nextReference.advance();
    return result;
}

MessageListing ReadMessages(AtChannel& channel, const Progress& progress, std::stop_token stop) {
    reportProgress(progress, QStringLiteral("Reading messages..."));
    MessageListing listing;
    int expected = -1;
    const auto exchange = [&]() -> std::optional<Outcome> {
        if (!SelectPduMode(channel))
            return std::nullopt;
        // A storage that cannot be chosen or counted still lists: the count is for progress.
        expected = storedMessageCount(channel.SendAndWait("at+cpms=\"SM\""));
        int seen = 0;
        // Each entry is decoded once the next one begins, so the messages can be shown as they
        // come; the whole reply is decoded again at its end, and that is the listing.
        QByteArray entry;
        const auto takeEntry = [&] {
            if (!entry.isEmpty())
                listing.arrived.append(DecodeListing(entry).messages);
            entry.clear();
        };
        // The count bounds how long the listing may take; 1000 stands for a storage that did
        // not say (a SIM holds at most 255).
        const AtReply reply = channel.SendAndWait(
            "at+cmgl=4",
            [&](const QByteArray& line) {
                if (line.startsWith("+CMGL:")) {
                    takeEntry();
                    reportReading(progress, ++seen, expected, listing.arrived);
                }
                entry += line + "\r\n";
            },
            expected >= 0 ? expected : 1000);
        takeEntry();
        if (!reply.isOk())
            return std::nullopt;
        DecodedListing decoded = DecodeListing(reply.text());
        listing.messages = std::move(decoded.messages);
        listing.unreadable = decoded.unreadable;
        listing.arrived.clear();
        return listingVerdict(listing.unreadable);
    };
    listing.outcome = RunOperation(channel, exchange, std::move(stop));
    if (!listing.messages && !listing.arrived.isEmpty()) {
        // How far it came: "Cancelled: 12 of 40 messages read.", or after an error's text.
        const qsizetype read = listing.arrived.size();
        const QString count = expected >= read ? QStringLiteral("%1 of %2").arg(read).arg(expected)
                                               : QString::number(read);
        QString& text = listing.outcome.text;
        if (listing.outcome.kind == Outcome::Kind::Cancelled)
            text = QStringLiteral("Cancelled: %1 messages read.").arg(count);
        else
            text += QStringLiteral(" %1 messages were read before the listing ended.").arg(count);
    }
    return listing;
}

SubmitResult SendStoredMessage(AtChannel& channel, quint32 index, const QString& number,
                               const Progress& progress, std::stop_token stop) {
    return SendStoredMessages(channel, {index}, number, progress, std::move(stop));
}

SubmitResult SendStoredMessages(AtChannel& channel, const QList<quint32>& indexes,
                                const QString& number, const Progress& progress,
                                std::stop_token stop) {
    if (indexes.isEmpty())
        return refusal(Outcome::inputRefused(QStringLiteral("Select the message to send first!")));
    QByteArray destination;
    if (!number.isEmpty()) {
        if (const auto problem = numberProblem(number))
            return refusal(Outcome::inputRefused(*problem));
        destination = ",\"" + dialString(number) + '"';
    }
    if (indexes.size() == 1)
        reportProgress(progress, QStringLiteral("Sending message..."));
    SubmitResult result;
    SubmitParts(
        channel, static_cast<int>(indexes.size()),
        [&](int i) {
            return channel.SendAndWait(QByteArrayLiteral("at+cmss=") +
                                       QByteArray::number(indexes[i]) + destination);
        },
        "+CMSS:",
        [](int i, int k) { return QStringLiteral("Sending part %1 from %2").arg(i).arg(k); },
        progress, std::move(stop), false, result);
    return result;
}

DeleteResult DeleteMessages(AtChannel& channel, const QList<quint32>& indexes,
                            const Progress& progress, std::stop_token stop) {
    QList<quint32> wanted;
    for (const quint32 index : indexes) {
        if (!wanted.contains(index))
            wanted.append(index);
    }
    DeleteResult result;
    if (wanted.isEmpty()) {
        result.outcome =
            Outcome::inputRefused(QStringLiteral("Select the message to delete first!"));
        return result;
    }

    reportProgress(progress, QStringLiteral("Deleting messages..."));
    bool reachedTheEnd = false;
    const auto exchange = [&]() -> std::optional<Outcome> {
        std::optional<AtReply> refusal;  // the first answer that was not OK
        const int count = int(wanted.size());
        for (int k = 0; k < count; ++k) {
            reportProgress(progress,
                           QStringLiteral("Deleting message %1 from %2").arg(k + 1).arg(count),
                           k + 1, count);
            channel.SendCommand(QByteArrayLiteral("at+cmgd=") + QByteArray::number(wanted[k]));
            result.unanswered = wanted[k];
            const AtReply reply = channel.WaitReply();
            result.unanswered.reset();
            if (reply.isOk()) {
                result.deleted.append(wanted[k]);
            } else if (!refusal) {
                refusal = reply;
            }
        }
        reachedTheEnd = true;
        return deletionVerdict(result, count, refusal);
    };
    // An error or a cancel that ended the exchange keeps its own outcome, and says what it left.
    result.outcome = RunOperation(channel, exchange, std::move(stop));
    for (const quint32 index : wanted) {
        if (!result.deleted.contains(index))
            result.failed.append(index);
    }
    if (!reachedTheEnd)
        result.outcome.text += QLatin1Char(' ') + deletionReport(result);
    return result;
}

QString deletionReport(const DeleteResult& result) {
    if (result.deleted.isEmpty() && !result.unanswered)
        return QStringLiteral("No message was deleted.");
    const auto joined = [](const QList<quint32>& indexes) {
        QStringList texts;
        for (const quint32 index : indexes)
            texts << QString::number(index);
        return texts.join(QStringLiteral(", "));
    };
    QList<quint32> notDeleted = result.failed;
    if (result.unanswered)
        notDeleted.removeAll(*result.unanswered);
    QStringList parts;
    if (!result.deleted.isEmpty())
        parts << QStringLiteral("Deleted: %1.").arg(joined(result.deleted));
    if (!notDeleted.isEmpty())
        parts << QStringLiteral("Not deleted: %1.").arg(joined(notDeleted));
    if (result.unanswered) {
        parts << QStringLiteral("Message %1 may or may not be deleted: its answer never came.")
                     .arg(*result.unanswered);
    }
    return parts.join(QLatin1Char(' '));
}

}  // namespace pelmar
