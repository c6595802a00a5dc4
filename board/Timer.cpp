#include "board/Timer.h"

#include "board/Cpu.h"
#include "board/Io.h"

int32_t TimerCounter;
std::atomic<uint8_t> TimerIrq;

namespace {

uint32_t Acknowledge(uint32_t ones) {
  TimerIrq = 0;
  UpdateInterruptLevel();
  return ones;
}

}  // namespace

uint32_t TimerAckReadByte(uint32_t) { return Acknowledge(0xFF); }
uint32_t TimerAckReadWord(uint32_t) { return Acknowledge(0xFFFF); }
uint32_t TimerAckReadLong(uint32_t) { return Acknowledge(0xFFFFFFFF); }
void TimerAckWriteByte(uint32_t, uint32_t) { Acknowledge(0); }
void TimerAckWriteWord(uint32_t, uint32_t) { Acknowledge(0); }
void TimerAckWriteLong(uint32_t, uint32_t) { Acknowledge(0); }

void TimerMap() {
  MapDeviceReadHandlers(kTimerAckPage, TimerAckReadByte, TimerAckReadWord, TimerAckReadLong);
  MapDeviceWriteHandlers(kTimerAckPage, TimerAckWriteByte, TimerAckWriteWord, TimerAckWriteLong);
}

void TimerTick(int32_t count) {
  TimerCounter -= count;
  if (TimerCounter <= 0) {
    TimerIrq = 1;
    TimerCounter += kTimerReload;
  }
}
