#pragma once

#include "Measure.h"
#include "PtyPeer.h"
#include "Stations.h"

#include <QString>

#include <functional>

namespace roteka::bench {

using RawPty = test::PtyPeer;

struct Options {
    long long replies = 200000;  // receive throughput: replies per round
    int latencySamples = 10000;  // end-to-end latency: samples of each kind
    int datagramSamples = 300;   // end-to-end latency of UDP datagrams, 100 ms apart
    int startupRuns = 10;        // start-up: runs of each program
    double lineRateSeconds = 10; // CPU at line rate: measured seconds of each process
    QString windowProgram;       // roteka-bench-window
    QString minimalProgram;      // roteka-bench-minimal
};

// Each benchmark prints its figures beside their baselines and returns false only when
// something went wrong that is no matter of speed (a reply lost, a process that failed).
bool runThroughput(const Options& options);
bool runLatency(const Options& options);
bool runStartup(const Options& options);
bool runLineRate(const Options& options);

// Runs the Qt event loop until the condition holds or the time is up; returns the condition.
bool spinUntil(const std::function<bool()>& condition, int timeoutMs);

// A plain TCP client connected to the loopback port, non-blocking; -1 when it cannot connect.
int connectedClient(quint16 port);
// Whether data waits on the descriptor.
bool readable(int fd);
// A plain UDP socket for sending, non-blocking; -1 when there is none.
int udpSocket();
// Sends the datagram to the loopback port.
void sendDatagram(int fd, quint16 port, const QByteArray& datagram);

} // namespace roteka::bench
