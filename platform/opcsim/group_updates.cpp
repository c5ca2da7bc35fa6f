// The update thread's side of the simulated group: the subscription's data changes and the
// completion of queued asynchronous calls, collected under the group's lock.
#include <algorithm>

#include "platform/opcsim/da1_stream.h"
#include "platform/opcsim/deliveries.h"
#include "platform/opcsim/simulated_group.h"
#include "platform/opcsim/stream_formats.h"

namespace tavrel::opcsim {

void SimulatedGroup::Collect(SteadyTime now, DeliveryList& out, SteadyTime* wakeAt) {
  MutexLock lock(mutex_);
  if (withdrawn_) return;
  while (!jobs_.empty()) {
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    CompleteJobLocked(job, now, out);
  }
  if (!active_ || items_.empty()) return;
  const std::chrono::milliseconds rate(updateRate_);
  if (now >= nextUpdate_) {
    SendChangesLocked(now, out);
    nextUpdate_ = NextTickAfter(nextUpdate_, now, rate);
  }
  *wakeAt = std::min(*wakeAt, nextUpdate_);
}

void SimulatedGroup::SendChangesLocked(SteadyTime now, DeliveryList& out) {
  DataCallbacks sinks;
  if (device_->OffersDa2() && enabled_) sinks = dataPoint_.Sinks<IOPCDataCallback>();
  std::vector<const StreamAdvise*> streams;
  for (const StreamAdvise& advise : streamAdvises_) {
    if (OpcStreamFormats().IsData(advise.format)) streams.push_back(&advise);
  }
  if (sinks.empty() && streams.empty()) return;

  const ItemCatalogue& catalogue = device_->Catalogue();
  DataReport report;
  report.clientGroup = clientHandle_;
  report.Reserve(items_.size());  // a busy group reports most of its items on every tick
  for (GroupItem& item : items_) {
    if (!item.active || !(catalogue.Item(item.index).accessRights & OPC_READABLE)) continue;
    ItemSample sample = SampleLocked(item, now);
    if (!ChangedLocked(item, sample)) continue;
    item.sent = true;
    item.lastValue = sample.value;
    item.lastQuality = sample.quality;
    item.lastError = sample.error;
    report.Add(item.clientHandle, std::move(sample));
  }
  if (report.Size() == 0) return;
  device_->NoteUpdateSent(now);
  for (const StreamAdvise* advise : streams) {
    const bool withTime = advise->format == OpcStreamFormats().dataTime;
    if (HGLOBAL stream = BuildDataStream(report, withTime)) {
      out.push_back(MakeStreamDelivery(advise->sink, advise->format, stream));
    }
  }
  if (!sinks.empty()) out.push_back(MakeDataDelivery(std::move(sinks), std::move(report), false));
}

DataReport SimulatedGroup::ReportLocked(const std::vector<OPCHANDLE>& serverHandles, SteadyTime now,
                                        DWORD transactionId) {
  DataReport report;
  report.transactionId = transactionId;
  report.clientGroup = clientHandle_;
  report.Reserve(serverHandles.size());
  for (const OPCHANDLE handle : serverHandles) {
    const GroupItem* item = FindLocked(handle);
    if (item != nullptr) report.Add(item->clientHandle, SampleLocked(*item, now));
  }
  return report;
}

void SimulatedGroup::DeliverReportLocked(DataReport report, bool readComplete,
                                         const Job* streamedJob, DeliveryList& out) {
  if (report.Size() == 0) return;
  if (streamedJob != nullptr) {
    const StreamAdvise* advise = FindAdviseLocked(streamedJob->connection, false);
    if (advise == nullptr) return;  // unadvised meanwhile
    const bool withTime = advise->format == OpcStreamFormats().dataTime;
    if (HGLOBAL stream = BuildDataStream(report, withTime)) {
      out.push_back(MakeStreamDelivery(advise->sink, advise->format, stream));
    }
    return;
  }
  DataCallbacks sinks = dataPoint_.Sinks<IOPCDataCallback>();
  if (!sinks.empty())
    out.push_back(MakeDataDelivery(std::move(sinks), std::move(report), readComplete));
}

void SimulatedGroup::CompleteJobLocked(Job& job, SteadyTime now, DeliveryList& out) {
  const Job* streamed = job.streamed ? &job : nullptr;
  switch (job.kind) {
    case JobKind::kCancelled: {
      DataCallbacks sinks = dataPoint_.Sinks<IOPCDataCallback>();
      if (!sinks.empty()) {
        out.push_back(
            MakeCancelCompleteDelivery(std::move(sinks), job.transactionId, clientHandle_));
      }
      return;
    }
    case JobKind::kRefresh: {
      if (!active_) return;
      std::vector<OPCHANDLE> handles;
      for (const GroupItem& item : items_) {
        if (item.active && (device_->Catalogue().Item(item.index).accessRights & OPC_READABLE)) {
          handles.push_back(item.serverHandle);
        }
      }
      DeliverReportLocked(ReportLocked(handles, now, job.transactionId), false, streamed, out);
      return;
    }
    case JobKind::kRead:
      DeliverReportLocked(ReportLocked(job.serverHandles, now, job.transactionId), true, streamed,
                          out);
      return;
    case JobKind::kWrite: {
      WriteReport report;
      report.transactionId = job.transactionId;
      report.clientGroup = clientHandle_;
      for (std::size_t i = 0; i < job.serverHandles.size(); ++i) {
        const GroupItem* item = FindLocked(job.serverHandles[i]);
        if (item == nullptr) continue;  // removed meanwhile
        report.clientHandles.push_back(item->clientHandle);
        report.errors.push_back(device_->Write(item->index, job.values[i].Get()));
      }
      if (report.clientHandles.empty()) return;
      if (streamed != nullptr) {
        const StreamAdvise* advise = FindAdviseLocked(job.connection, true);
        HGLOBAL stream = advise != nullptr ? BuildWriteCompleteStream(report) : nullptr;
        if (stream != nullptr)
          out.push_back(MakeStreamDelivery(advise->sink, advise->format, stream));
        return;
      }
      DataCallbacks sinks = dataPoint_.Sinks<IOPCDataCallback>();
      if (!sinks.empty())
        out.push_back(MakeWriteCompleteDelivery(std::move(sinks), std::move(report)));
      return;
    }
  }
}

}  // namespace tavrel::opcsim
