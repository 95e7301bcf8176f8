#pragma once
// The drivetrain graph's owner: the links between the car's rotating parts and
// the queue through which torques enter the graph once per step. The nodes
// themselves belong to the car; the graph only points at them.

#include <vector>

class CGearLink;
class CGearNode;

// Tags that some node kinds read on a queued torque.
constexpr int kTorqueTagOrdinary = 0;
constexpr int kTorqueTagRoadA = 12;        // road reaction of the first driven wheel
constexpr int kTorqueTagRoadB = 13;        // road reaction of the second driven wheel
constexpr int kTorqueTagClutchInput = 201;   // clutch torque for its engine side
constexpr int kTorqueTagClutchOutput = 202;  // clutch torque for its gearbox side

// A torque waiting to be applied to one node.
class TorqueRequest {
public:
    TorqueRequest(CGearNode* n, float t, int g) : node(n), torque(t), tag(g) {}
    virtual ~TorqueRequest() = default;

    CGearNode* node;
    float torque;  // N·m
    int tag;
};

class CDrivetrain {
public:
    CDrivetrain() = default;
    CDrivetrain(const CDrivetrain&) = delete;
    CDrivetrain& operator=(const CDrivetrain&) = delete;
    virtual ~CDrivetrain();

    // Joins a and b; a gets the link before b, so the call order fixes every
    // node's link order.
    void connect(CGearNode* a, CGearNode* b);
    void queueTorque(CGearNode* node, float torque, int tag);
    // Applies every queued torque in queue order, each with its node as
    // `from` so it spreads over all of that node's links; empties the queue.
    void applyQueuedTorques(float dt);

    // The queue holds its requests by value: it is filled and emptied every
    // step, and keeping its storage avoids an allocation per torque.
    std::vector<TorqueRequest> queue;
    std::vector<CGearLink*> links;  // owned
};
