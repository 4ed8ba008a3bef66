# live-objects.py - gdb script: counts the collector's live objects in a
# running Nubrix (attach with `gdb -batch -p PID -x live-objects.py`).
#
# Prints one line: "objects N surfaces S textures T texture-bytes B
# samples M screen K", where objects are those on the white, grey and black
# lists (everything not yet found to be garbage), surfaces those of them
# that are gxtkSurface with a GL texture, samples the gxtkSample objects,
# and screen the game's m_Mode (1 menu, 10 a game).
import gdb

objects = surfaces = textures = texture_bytes = samples = 0
for name in ("gc_unmarked_list", "gc_queued_list", "gc_marked_list"):
    head = gdb.parse_and_eval(name).address
    p = head["succ"]
    while p != head:
        objects += 1
        kind = str(p.dereference().dynamic_type)
        if kind.endswith("gxtkSurface"):
            surfaces += 1
            s = p.dereference().cast(gdb.lookup_type("gxtkSurface"))
            if int(s["texture"]) != 0:
                textures += 1
                texture_bytes += int(s["width"]) * int(s["height"]) * 4
        elif kind.endswith("gxtkSample"):
            samples += 1
        p = p["succ"]
screen = int(gdb.parse_and_eval("((bb_Nubrix_MyApp*)bb_app_device->m_App)->m_Mode"))
print("objects %d surfaces %d textures %d texture-bytes %d samples %d screen %d"
      % (objects, surfaces, textures, texture_bytes, samples, screen))
