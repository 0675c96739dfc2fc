/** Lives in a jar of a jar directory, to show that the jar is on the class path. */
public class JarMarker {}
