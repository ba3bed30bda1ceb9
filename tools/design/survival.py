"""Times to an event (the first extinction, the frame where --until held)
as survival analysis reads them: a run that ended without the event is
censored at its last frame, never taken as having had it there."""

def restricted_mean(times, horizon):
    """The restricted mean time up to `horizon`: the area under the
    Kaplan-Meier curve from 0 to the horizon. `times` holds (frame, event)
    pairs, event False for a run censored at that frame."""
    area, survival, previous = 0.0, 1.0, 0
    at_risk = len(times)
    ordered = sorted(times)
    i = 0
    while i < len(ordered) and ordered[i][0] < horizon:
        frame = ordered[i][0]
        area += survival * (frame - previous)
        previous = frame
        events = leaving = 0
        while i < len(ordered) and ordered[i][0] == frame:
            events += 1 if ordered[i][1] else 0
            leaving += 1
            i += 1
        if at_risk:
            survival *= 1.0 - events / at_risk
        at_risk -= leaving
    return area + survival * (horizon - previous)


def share_text(censored, runs):
    """'62 % of the runs (310 of 500) censored' or 'no run censored'."""
    if not censored:
        return "no run censored"
    return "%.0f %% of the runs (%d of %d) censored" % (100.0 * censored / runs, censored, runs)
