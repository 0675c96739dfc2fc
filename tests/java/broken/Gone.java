/** Removed after compilation: the dependency that NeedsGone cannot find. */
public class Gone {}
