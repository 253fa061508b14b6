#!/usr/bin/python3
"""A desktop's clipboard keeper, as small as it can be.

It owns the CLIPBOARD_MANAGER selection. When a program that owns the clipboard quits in
order, it asks the keeper to SAVE_TARGETS; the keeper then fetches the text (UTF8_STRING),
takes the clipboard over and keeps serving that text after the program has gone. A program
that leaves without quitting (an immediate process exit) never asks, and its text is lost.
Runs until killed; prints "ready" once it owns the manager selection.
"""
import sys

from Xlib import X, Xatom, display
from Xlib.protocol import event

d = display.Display()
window = d.screen().root.create_window(0, 0, 1, 1, 0, d.screen().root_depth)
atom = lambda name: d.intern_atom(name)
CLIPBOARD, MANAGER = atom("CLIPBOARD"), atom("CLIPBOARD_MANAGER")
SAVE_TARGETS, TARGETS = atom("SAVE_TARGETS"), atom("TARGETS")
UTF8, INCOMING = atom("UTF8_STRING"), atom("KEEPER_INCOMING")

window.set_selection_owner(MANAGER, X.CurrentTime)
d.flush()
print("ready", flush=True)

kept = None
pending_save = None  # the request that asked us to save, answered once the text is here


def notify(request, prop):
    reply = event.SelectionNotify(time=request.time, requestor=request.requestor,
                                  selection=request.selection, target=request.target,
                                  property=prop)
    request.requestor.send_event(reply)
    d.flush()


while True:
    e = d.next_event()
    if e.type == X.SelectionRequest and e.selection == MANAGER:
        if e.target == SAVE_TARGETS:
            pending_save = e
            window.convert_selection(CLIPBOARD, UTF8, INCOMING, X.CurrentTime)
            d.flush()
        else:
            notify(e, X.NONE)
    elif e.type == X.SelectionNotify and e.selection == CLIPBOARD:
        if e.property != X.NONE:
            prop = window.get_full_property(INCOMING, X.AnyPropertyType)
            if prop is not None:
                kept = bytes(prop.value)
                window.set_selection_owner(CLIPBOARD, X.CurrentTime)
        if pending_save is not None:
            notify(pending_save, pending_save.property)
            pending_save = None
    elif e.type == X.SelectionRequest and e.selection == CLIPBOARD and kept is not None:
        if e.target == TARGETS:
            e.requestor.change_property(e.property, Xatom.ATOM, 32, [TARGETS, UTF8])
            notify(e, e.property)
        elif e.target in (UTF8, Xatom.STRING):
            e.requestor.change_property(e.property, e.target, 8, kept)
            notify(e, e.property)
        else:
            notify(e, X.NONE)
    elif e.type == X.SelectionRequest:
        notify(e, X.NONE)
    sys.stdout.flush()
