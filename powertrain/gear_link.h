#pragma once
// One edge of the drivetrain tree: the two rotating parts it joins. Ratios
// live in the ratio nodes, not here; the link's own ratio is kept at 1.0 and
// no graph operation reads it.

class CGearNode;

class CGearLink {
public:
    CGearLink(CGearNode* a, CGearNode* b) : nodeA(a), nodeB(b) {}
    CGearLink(const CGearLink&) = delete;
    CGearLink& operator=(const CGearLink&) = delete;
    virtual ~CGearLink() = default;

    // The node at the far end as seen from `node`; any node that is not
    // nodeA is taken to be nodeB.
    CGearNode* other(const CGearNode* node) const { return node == nodeA ? nodeB : nodeA; }

    CGearNode* nodeA;
    CGearNode* nodeB;
    float ratio = 1.0f;
};
